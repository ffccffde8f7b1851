#include "handset/LinkThread.h"

#include <algorithm>
#include <future>

LinkThread::LinkThread(HandsetSession& session) : m_session(session) {
    m_session.Link().Device().SetWaitBreaker(&m_breaker);
}

LinkThread::~LinkThread() {
    Shutdown({});
    m_session.Link().Device().SetWaitBreaker(nullptr);
}

void LinkThread::Start() {
    if (!m_thread.joinable() && !m_bEnding) m_thread = std::thread([this] { Run(); });
}

void LinkThread::SetDeviceAnnouncer(std::unique_ptr<DeviceAnnouncer> announcer,
                                    std::chrono::milliseconds retryPeriod) {
    m_pAnnouncer = std::move(announcer);
    m_retryPeriod = retryPeriod;
}

bool LinkThread::Enqueue(Input input, bool nudge) {
    std::lock_guard lock(m_lock);
    if (m_bFinishing) return false;
    m_queue.push_back({std::move(input), nudge});
    if (nudge) m_breaker.Nudge();
    m_wake.notify_one();
    return true;
}

void LinkThread::Post(Input input) {
    Enqueue(std::move(input), true);
}

void LinkThread::PauseTicks() {
    std::lock_guard lock(m_lock);
    ++m_nPauses;
}

void LinkThread::ResumeTicks() {
    std::lock_guard lock(m_lock);
    if (m_nPauses > 0 && --m_nPauses == 0) m_bRestartPeriod = true;
    m_wake.notify_one();
}

void LinkThread::Flush() {
    if (!m_thread.joinable() || std::this_thread::get_id() == m_thread.get_id()) return;
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> ran = done->get_future();
    // A barrier, not an input: it must not cut a poll short.
    if (!Enqueue([done](HandsetSession&) { done->set_value(); }, false)) {
        // Ending: what was queued runs (or is dropped) before the thread ends.
        std::unique_lock lock(m_lock);
        m_endedSignal.wait(lock, [this] { return m_bEnded.load(); });
        return;
    }
    while (ran.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        if (m_bEnded) return;
    }
}

void LinkThread::Finish(Input last, std::function<void()> ended) {
    std::unique_lock lock(m_lock);
    // The end's last input is given once, whether or not a cut short came
    // first: the port and the log are closed however the end began.
    if (m_bLastGiven) return;
    m_bLastGiven = true;
    if (m_bEnded) {
        // The thread has already ended: the session is this thread's now.
        lock.unlock();
        if (last) last(m_session);
        if (ended) ended();
        return;
    }
    m_last = std::move(last);
    m_ended = std::move(ended);
    if (m_bFinishing) {
        // Cut short already: the thread runs `last` as soon as it gets there.
        m_wake.notify_one();
        return;
    }
    m_bFinishing = true;
    m_bEnding = true;
    // A poll or a reconnection try that has received nothing gives way; the
    // port's opening (a cable handshake) is not waited for at all.
    m_breaker.Nudge();
    if (m_session.Opening()) {
        m_bStopping = true;
        m_breaker.Stop();
    }
    m_wake.notify_one();
}

void LinkThread::CutShort() {
    std::lock_guard lock(m_lock);
    m_bFinishing = true;
    m_bStopping = true;
    m_bEnding = true;
    m_breaker.Stop();
    m_wake.notify_one();
}

void LinkThread::AwaitEnd(std::chrono::milliseconds bound) {
    {
        std::unique_lock lock(m_lock);
        if (m_thread.joinable())
            m_endedSignal.wait_for(lock, bound, [this] { return m_bEnded.load(); });
    }
    if (!m_bEnded) CutShort();
    Join();
}

void LinkThread::Shutdown(Input last) {
    {
        std::lock_guard lock(m_lock);
        if (!m_bLastGiven && !m_bEnded) {
            m_bLastGiven = true;
            m_last = std::move(last);
        }
    }
    CutShort();
    Join();
}

void LinkThread::Join() {
    if (m_thread.joinable()) {
        if (std::this_thread::get_id() != m_thread.get_id()) m_thread.join();
        return;
    }
    // Never started: the session is still this thread's, and nothing queued ran.
    std::unique_lock lock(m_lock);
    if (m_bEnded) return;
    m_bStopping = true;
    RunLast(lock);
}

void LinkThread::RunLast(std::unique_lock<std::mutex>& lock) {
    std::deque<Queued> dropped;
    dropped.swap(m_queue);
    lock.unlock();
    for (Queued& queued : dropped) {
        // Barriers only tell that what came before has been dealt with.
        if (queued.nudge)
            m_session.Link().LogLine("Input Dropped At End");
        else
            queued.input(m_session);
    }
    lock.lock();
    std::function<void()> ended;
    // A Finish that comes while the last input runs still gets its own run.
    while (m_last || m_ended) {
        Input last = std::move(m_last);
        m_last = nullptr;
        if (m_ended) ended = std::move(m_ended);
        m_ended = nullptr;
        lock.unlock();
        if (last) last(m_session);
        lock.lock();
    }
    m_bEnded = true;
    m_endedSignal.notify_all();
    lock.unlock();
    if (ended) ended();
}

void LinkThread::Run() {
    std::unique_lock lock(m_lock);
    uint64_t generation = m_session.MonitorGeneration();
    Clock::time_point nextTick = Clock::now();
    bool wasTicking = false;
    while (!m_bStopping) {
        if (m_bFinishing && m_queue.empty()) break;
        if (!m_bFinishing && m_session.LinkLost() && m_queue.empty()) {
            lock.unlock();
            WaitForDevice();
            lock.lock();
            continue;
        }
        const bool ticking =
            !m_bFinishing && m_session.IsMonitoring() && m_nPauses == 0 && !m_session.LinkLost();
        const Clock::time_point now = Clock::now();
        // A timer started anew (or resumed) waits one whole period first.
        if (ticking &&
            (!wasTicking || m_bRestartPeriod || generation != m_session.MonitorGeneration())) {
            nextTick = now + std::chrono::milliseconds(m_session.MonitorPeriod());
        }
        m_bRestartPeriod = false;
        generation = m_session.MonitorGeneration();
        wasTicking = ticking;

        // An input waiting goes before a tick, even one that fell due.
        if (!m_queue.empty()) {
            Queued next = std::move(m_queue.front());
            m_queue.pop_front();
            // The last waiting input taken: polls wait undisturbed again.
            if (!m_bFinishing && std::none_of(m_queue.begin(), m_queue.end(),
                                              [](const Queued& q) { return q.nudge; }))
                m_breaker.Settle();
            lock.unlock();
            const bool wasLost = m_session.LinkLost();
            next.input(m_session);
            m_session.CheckLink();
            // Lost just now: the first try at once, then on the usual schedule.
            if (!wasLost && m_session.LinkLost()) m_nextReconnect = Clock::now();
            lock.lock();
            continue;
        }
        if (ticking && now >= nextTick) {
            // Ticks do not pile up behind a slow one: the next falls due a
            // period after this one was due, or at once if that has passed.
            nextTick += std::chrono::milliseconds(m_session.MonitorPeriod());
            lock.unlock();
            m_session.OnTimer();
            m_session.CheckLink();
            if (m_session.LinkLost()) m_nextReconnect = Clock::now();
            lock.lock();
            nextTick = std::max(nextTick, Clock::now());
            continue;
        }
        if (ticking)
            m_wake.wait_until(lock, nextTick);
        else
            m_wake.wait(lock);
    }
    RunLast(lock);
}

void LinkThread::WaitForDevice() {
    // Flush's barriers do not wake the wait; they wait this long at most.
    constexpr auto kLongestNap = std::chrono::milliseconds(200);
    if (!m_pAnnouncer) m_pAnnouncer = SystemDeviceAnnouncer();
    // The clock goes on beside "No Connection".
    m_session.ShowClockWhileLost();
    const auto now = Clock::now();
    if (now >= m_nextReconnect) {
        // A try every retry period, and at once when a tty device comes.
        m_nextReconnect = now + m_retryPeriod;
        switch (m_session.TryReconnect()) {
            case ReconnectTry::Opened:
                m_session.StartMonitor();
                break;
            case ReconnectTry::GaveWay:
                // The input that came runs first; then the try starts anew.
                m_nextReconnect = Clock::now();
                break;
            case ReconnectTry::Failed:
                break;
        }
        return;
    }
    const auto nap = std::min<Clock::duration>(m_nextReconnect - now, kLongestNap);
    if (m_pAnnouncer->Wait(m_breaker, std::chrono::ceil<std::chrono::milliseconds>(nap)))
        m_nextReconnect = Clock::now();
}
