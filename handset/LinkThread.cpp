#include "handset/LinkThread.h"

#include <algorithm>
#include <future>

#include <poll.h>

LinkThread::LinkThread(HandsetSession& session) : m_session(session) {
    m_session.Link().Device().SetWaitBreaker(&m_breaker);
}

LinkThread::~LinkThread() {
    Shutdown({});
    m_session.Link().Device().SetWaitBreaker(nullptr);
}

void LinkThread::Start() {
    if (!m_thread.joinable() && !m_breaker.Stopped()) m_thread = std::thread([this] { Run(); });
}

void LinkThread::Enqueue(Input input, bool nudge) {
    std::lock_guard lock(m_lock);
    if (m_bStopping) return;
    m_queue.push_back({std::move(input), Clock::now(), nudge});
    if (nudge) m_breaker.Nudge();
    m_wake.notify_one();
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
    Enqueue([done](HandsetSession&) { done->set_value(); }, false);
    while (ran.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        if (m_breaker.Stopped()) return;
    }
}

void LinkThread::Shutdown(Input last) {
    {
        std::lock_guard lock(m_lock);
        if (m_bStopping) return;
        m_bStopping = true;
        m_last = std::move(last);
        m_breaker.Stop();
        m_wake.notify_one();
    }
    if (m_thread.joinable() && std::this_thread::get_id() != m_thread.get_id()) {
        m_thread.join();
    } else if (!m_thread.joinable() && m_last) {
        // Never started: the session is still this thread's.
        m_last(m_session);
    }
}

void LinkThread::Run() {
    std::unique_lock lock(m_lock);
    uint64_t generation = m_session.MonitorGeneration();
    Clock::time_point nextTick = Clock::now();
    bool wasTicking = false;
    while (!m_bStopping) {
        if (m_session.LinkLost() && m_queue.empty()) {
            lock.unlock();
            WaitForDevice();
            lock.lock();
            continue;
        }
        const bool ticking = m_session.IsMonitoring() && m_nPauses == 0 && !m_session.LinkLost();
        const Clock::time_point now = Clock::now();
        // A timer started anew (or resumed) waits one whole period first.
        if (ticking &&
            (!wasTicking || m_bRestartPeriod || generation != m_session.MonitorGeneration())) {
            nextTick = now + std::chrono::milliseconds(m_session.MonitorPeriod());
        }
        m_bRestartPeriod = false;
        generation = m_session.MonitorGeneration();
        wasTicking = ticking;

        // What came first runs first: an input that arrived before the tick
        // fell due, else the tick.
        const bool tickDue = ticking && now >= nextTick;
        if (!m_queue.empty() && (!tickDue || m_queue.front().arrived <= nextTick)) {
            Queued next = std::move(m_queue.front());
            m_queue.pop_front();
            // The last waiting input taken: polls wait undisturbed again.
            if (std::none_of(m_queue.begin(), m_queue.end(),
                             [](const Queued& q) { return q.nudge; }))
                m_breaker.Settle();
            lock.unlock();
            next.input(m_session);
            m_session.CheckLink();
            lock.lock();
            continue;
        }
        if (tickDue) {
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
    Input last = std::move(m_last);
    lock.unlock();
    if (last) last(m_session);
}

void LinkThread::WaitForDevice() {
    // A try every 2 seconds, and at once when a tty device comes.
    constexpr auto kRetryPeriod = std::chrono::seconds(2);
    // Flush's barriers do not wake the wait; they wait this long at most.
    constexpr auto kLongestNap = std::chrono::milliseconds(200);
    if (!m_pHotplug) m_pHotplug = std::make_unique<TtyHotplugMonitor>();
    const auto now = Clock::now();
    if (now >= m_nextReconnect) {
        m_nextReconnect = now + kRetryPeriod;
        if (m_session.TryReconnect()) m_session.StartMonitor();
        return;
    }
    const auto nap = std::min<Clock::duration>(m_nextReconnect - now, kLongestNap);
    pollfd fds[3] = {{m_breaker.StopFd(), POLLIN, 0},
                     {m_breaker.NudgeFd(), POLLIN, 0},
                     {m_pHotplug->Fd(), POLLIN, 0}};
    const int ms = int(std::chrono::ceil<std::chrono::milliseconds>(nap).count());
    if (poll(fds, 3, ms) > 0 && (fds[2].revents & POLLIN) && m_pHotplug->DrainEvents())
        m_nextReconnect = Clock::now();
}
