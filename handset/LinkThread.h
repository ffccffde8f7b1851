#pragma once
// The thread that owns the phone link: it runs the session's monitoring ticks
// and the user's inputs one at a time, in the order they arrived, so that no
// input runs inside a poll and no poll inside an input; an input waiting
// always goes before a tick that fell due. The window posts and never waits;
// a poll still waiting for the first byte of the phone's answer, and a
// reconnection try, give way to an input that arrives meanwhile.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "handset/HandsetSession.h"
#include "platform/DeviceAnnouncer.h"
#include "platform/WaitBreaker.h"

class LinkThread {
public:
    using Input = std::function<void(HandsetSession&)>;

    // The session's device waits are broken through this thread's breaker.
    explicit LinkThread(HandsetSession& session);
    ~LinkThread();
    LinkThread(const LinkThread&) = delete;
    LinkThread& operator=(const LinkThread&) = delete;

    void Start();
    // Who announces devices while the device is gone, and how long to wait
    // between tries otherwise. The system's announcements (platform/
    // DeviceAnnouncer.h) and 2 s unless set; tests announce their own.
    // Before Start.
    void SetDeviceAnnouncer(std::unique_ptr<DeviceAnnouncer> announcer,
                            std::chrono::milliseconds retryPeriod);
    // Any thread: queues an input; a poll waiting for its first byte gives way.
    void Post(Input input);
    // Any thread: no tick starts while paused (menus, dialogs, message boxes);
    // resuming restarts the period, as starting a stopped timer does.
    void PauseTicks();
    void ResumeTicks();
    // Any thread: waits until everything posted before has run. For tests and
    // tools only; the window never waits for the link.
    void Flush();
    // Any thread: begins the end of the run. No input is taken from now on;
    // those already queued run in order with their normal waits (a hang-up
    // gets its charge), then `last` runs on the link thread and the thread
    // ends, calling `ended` there. No tick or reconnection try starts. An
    // opening of the port in progress is cut short (as CutShort does).
    // Only the first call counts; one after CutShort still has `last` run
    // (on the calling thread, once the link thread has already ended).
    void Finish(Input last, std::function<void()> ended = {});
    // Any thread: cuts the end short: every wait ends at once, the inputs
    // still queued are dropped (one line each in the communication log),
    // then `last` runs. Begins the end first when Finish was not called.
    void CutShort();
    // Waits up to `bound` for the thread to end after Finish, cuts short if
    // it has not, and joins. Not from the link thread.
    void AwaitEnd(std::chrono::milliseconds bound);
    // Ends the run at once: CutShort with `last`, and joins. Idempotent.
    void Shutdown(Input last);
    // True once the end began: answers owed to the session are not wanted.
    bool Stopping() const { return m_bEnding.load(); }
    bool Ended() const { return m_bEnded.load(); }
    bool Started() const { return m_thread.joinable(); }
    std::thread::id Id() const { return m_thread.get_id(); }

private:
    using Clock = std::chrono::steady_clock;
    struct Queued {
        Input input;
        // False for Flush's barriers, which are no input.
        bool nudge;
    };

    void Run();
    // False once the end began: nothing more is taken.
    bool Enqueue(Input input, bool nudge);
    // On the link thread at the end: the dropped inputs logged, `last` run.
    void RunLast(std::unique_lock<std::mutex>& lock);
    void Join();
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
    // Set by Finish (no new input) and by CutShort (nothing more runs).
    bool m_bFinishing = false;
    bool m_bStopping = false;
    // Finish or Shutdown has handed over the end's last input.
    bool m_bLastGiven = false;
    std::atomic<bool> m_bEnding{false};
    std::atomic<bool> m_bEnded{false};
    Input m_last;
    std::function<void()> m_ended;
    std::condition_variable m_endedSignal;
    // Announces devices while the device is gone; made when first needed.
    std::unique_ptr<DeviceAnnouncer> m_pAnnouncer;
    std::chrono::milliseconds m_retryPeriod{2000};
    Clock::time_point m_nextReconnect{};
};
