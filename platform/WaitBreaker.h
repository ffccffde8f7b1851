#pragma once
// Lets another thread cut the serial device's waits short. Stop ends every
// wait from then on, for good (the program is ending and must not sit out a
// time-out). Nudge ends only a wait that the link has marked as one that may
// give way (a poll still waiting for the first byte of the phone's answer)
// and stays raised until Settle.

#include <atomic>
#include <memory>
#include <mutex>

class WaitBreaker {
public:
    WaitBreaker();
    ~WaitBreaker();
    WaitBreaker(const WaitBreaker&) = delete;
    WaitBreaker& operator=(const WaitBreaker&) = delete;

    // Any thread.
    void Stop();
    bool Stopped() const { return m_stopped.load(); }
    void Nudge();
    void Settle();
    bool Nudged() const { return m_nudged.load(); }

    // The system's objects that signal while Stop or Nudge is raised, for the
    // platform's own waits: pipes on POSIX (platform/posix/WaitBreakerPipes.h),
    // events on Windows (platform/win32/WaitBreakerEvents.h).
    struct Signals;
    const Signals& SystemSignals() const { return *m_signals; }

private:
    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_nudged{false};
    // Keeps the nudge flag and its signal in step.
    std::mutex m_nudgeLock;
    std::unique_ptr<Signals> m_signals;
};
