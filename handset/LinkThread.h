#pragma once
// The thread that owns the phone link: it runs the session's monitoring ticks
// and the user's inputs one at a time, in the order they arrived, so that no
// input runs inside a poll and no poll inside an input. The window posts and
// never waits; a poll still waiting for the first byte of the phone's answer
// gives way to an input that arrives meanwhile.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "handset/HandsetSession.h"
#include "platform/WaitBreaker.h"
#include "platform/posix/TtyHotplugMonitor.h"

class LinkThread {
public:
    using Input = std::function<void(HandsetSession&)>;

    // The session's device waits are broken through this thread's breaker.
    explicit LinkThread(HandsetSession& session);
    ~LinkThread();
    LinkThread(const LinkThread&) = delete;
    LinkThread& operator=(const LinkThread&) = delete;

    void Start();
    // Any thread: queues an input; a poll waiting for its first byte gives way.
    void Post(Input input);
    // Any thread: no tick starts while paused (menus, dialogs, message boxes);
    // resuming restarts the period, as starting a stopped timer does.
    void PauseTicks();
    void ResumeTicks();
    // Any thread: waits until everything posted before has run. For tests and
    // tools only; the window never waits for the link.
    void Flush();
    // Ends the run: every wait is cut short, what is running finishes at once,
    // then `last` runs on the link thread and the thread ends. Idempotent.
    void Shutdown(Input last);
    // True after Shutdown began: answers owed to the session are not wanted.
    bool Stopping() const { return m_breaker.Stopped(); }
    std::thread::id Id() const { return m_thread.get_id(); }

private:
    using Clock = std::chrono::steady_clock;
    struct Queued {
        Input input;
        Clock::time_point arrived;
        bool nudge;
    };

    void Run();
    void Enqueue(Input input, bool nudge);
    // While the device is gone: waits for an input, a tty device announced
    // by the system, or the next try, and tries when it is due. Unlocked.
    void WaitForDevice();

    HandsetSession& m_session;
    WaitBreaker m_breaker;
    std::thread m_thread;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<Queued> m_queue;
    int m_nPauses = 0;
    bool m_bRestartPeriod = false;
    bool m_bStopping = false;
    Input m_last;
    // Announces tty devices while the device is gone; made when first needed.
    std::unique_ptr<TtyHotplugMonitor> m_pHotplug;
    Clock::time_point m_nextReconnect{};
};
