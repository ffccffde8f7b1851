// The wait breaker's signals: one manual-reset event each, set while the
// signal is raised, so that a wait on overlapped I/O wakes.

#include "platform/WaitBreaker.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>

namespace {

// A new manual-reset event, kept as the int the breaker holds (-1: none).
int NewEvent() {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (event == nullptr) return -1;
    return static_cast<int>(reinterpret_cast<intptr_t>(event));
}

HANDLE EventOf(int slot) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(slot));
}

}  // namespace

WaitBreaker::WaitBreaker() {
    m_stopPipe[0] = NewEvent();
    m_nudgePipe[0] = NewEvent();
}

WaitBreaker::~WaitBreaker() {
    for (int slot : {m_stopPipe[0], m_nudgePipe[0]}) {
        if (slot != -1) CloseHandle(EventOf(slot));
    }
}

void WaitBreaker::Stop() {
    if (!m_stopped.exchange(true) && m_stopPipe[0] != -1) SetEvent(EventOf(m_stopPipe[0]));
}

void WaitBreaker::Nudge() {
    std::lock_guard lock(m_nudgeLock);
    if (!m_nudged.exchange(true) && m_nudgePipe[0] != -1) SetEvent(EventOf(m_nudgePipe[0]));
}

void WaitBreaker::Settle() {
    std::lock_guard lock(m_nudgeLock);
    if (m_nudged.exchange(false) && m_nudgePipe[0] != -1) ResetEvent(EventOf(m_nudgePipe[0]));
}
