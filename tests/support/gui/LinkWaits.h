#pragma once
// Waiting for the handset window's link thread in GUI tests. The fake port
// may be touched from the test's thread only while the link thread is idle:
// after Flush, with the ticks paused.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include "handset/ui/HandsetDlg.h"
#include "support/FakeCommDevice.h"

// Flush while the window's thread goes on answering the session's questions
// (phone book, settings loop), which a plain Flush would wait behind.
inline void FlushAnswering(CHandsetDlg& window) {
    std::atomic<bool> done{false};
    std::thread flusher([&] {
        window.Link().Flush();
        done = true;
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    flusher.join();
    window.Flush();
}

// Whether the link thread polls the port: it is used within `patienceMs`.
inline bool TicksRunning(const FakeCommDevice& device, int patienceMs = 5000) {
    const uint64_t before = device.Operations();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < patienceMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (device.Operations() != before) return true;
    }
    return false;
}

// Whether the port stays untouched for `quietMs` (a tick already under way
// when the pause began is let finish first).
inline bool TicksPaused(const FakeCommDevice& device, int quietMs = 60) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const uint64_t before = device.Operations();
    std::this_thread::sleep_for(std::chrono::milliseconds(quietMs));
    return device.Operations() == before;
}
