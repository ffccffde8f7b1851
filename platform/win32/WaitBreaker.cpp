#include <windows.h>

#include "platform/win32/WaitBreakerEvents.h"

WaitBreaker::WaitBreaker() : m_signals(std::make_unique<Signals>()) {
    m_signals->stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_signals->nudge = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

WaitBreaker::~WaitBreaker() {
    for (HANDLE event : {m_signals->stop, m_signals->nudge}) {
        if (event != nullptr) CloseHandle(event);
    }
}

void WaitBreaker::Stop() {
    if (!m_stopped.exchange(true) && m_signals->stop != nullptr) SetEvent(m_signals->stop);
}

void WaitBreaker::Nudge() {
    std::lock_guard lock(m_nudgeLock);
    if (!m_nudged.exchange(true) && m_signals->nudge != nullptr) SetEvent(m_signals->nudge);
}

void WaitBreaker::Settle() {
    std::lock_guard lock(m_nudgeLock);
    if (m_nudged.exchange(false) && m_signals->nudge != nullptr) ResetEvent(m_signals->nudge);
}
