#pragma once
// Lets another thread cut the serial device's waits short. Stop ends every
// wait from then on, for good (the program is ending and must not sit out a
// time-out). Nudge ends only a wait that the link has marked as one that may
// give way (a poll still waiting for the first byte of the phone's answer)
// and stays raised until Settle.

#include <atomic>
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

    // Descriptors that turn readable while Stop or Nudge is raised, for a
    // device that waits in poll(); -1 where the platform has none.
    int StopFd() const { return m_stopPipe[0]; }
    int NudgeFd() const { return m_nudgePipe[0]; }

private:
    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_nudged{false};
    // Keeps the nudge flag and its pipe in step.
    std::mutex m_nudgeLock;
    int m_stopPipe[2] = {-1, -1};
    int m_nudgePipe[2] = {-1, -1};
};
