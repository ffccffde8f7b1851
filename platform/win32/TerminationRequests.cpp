// Requests to end the program on Windows: the console's control events. The
// handler runs on a thread of its own that the system starts for it; for
// the closing of the console, the logoff and the shutdown the system ends
// the process as soon as the handler returns, so the handler waits there
// for the ending (as long as the system lets it).

#include "platform/TerminationRequests.h"

#include <windows.h>

#include <csignal>
#include <cstdlib>
#include <mutex>
#include <utility>

#include "platform/win32/ConsoleEvents.h"

namespace {

constexpr ULONGLONG kPatienceMs = 7000;

std::mutex g_lock;
// Set while a TerminationRequests watches; guarded by g_lock.
HANDLE g_wake = nullptr;
HANDLE g_ended = nullptr;
std::vector<int> g_pending;
ULONGLONG g_endingSinceMs = 0;

int SignalOf(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
            return SIGINT;
        case CTRL_BREAK_EVENT:
            return SIGBREAK;
        default:
            return SIGTERM;
    }
}

}  // namespace

BOOL WINAPI OnConsoleEvent(DWORD event) {
    const int signalNumber = SignalOf(event);
    HANDLE ended = nullptr;
    {
        std::lock_guard lock(g_lock);
        if (g_wake == nullptr) return FALSE;
        const ULONGLONG now = GetTickCount64();
        if (g_endingSinceMs == 0) {
            g_endingSinceMs = now;
        } else if (now - g_endingSinceMs >= kPatienceMs) {
            // Asked again of an ending that has had its time.
            std::_Exit(128 + signalNumber);
        }
        g_pending.push_back(signalNumber);
        SetEvent(g_wake);
        ended = g_ended;
    }
    const bool endsOnReturn =
        event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
    if (endsOnReturn && WaitForSingleObject(ended, static_cast<DWORD>(kPatienceMs)) == WAIT_TIMEOUT)
        std::_Exit(128 + signalNumber);
    return TRUE;
}

TerminationRequests::TerminationRequests() {
    std::lock_guard lock(g_lock);
    if (g_wake != nullptr) return;
    HANDLE wake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (wake == nullptr || ended == nullptr || !SetConsoleCtrlHandler(&OnConsoleEvent, TRUE)) {
        if (wake) CloseHandle(wake);
        if (ended) CloseHandle(ended);
        return;
    }
    g_wake = wake;
    g_ended = ended;
    g_pending.clear();
    g_endingSinceMs = 0;
    m_wake = reinterpret_cast<std::intptr_t>(wake);
    m_other = reinterpret_cast<std::intptr_t>(ended);
    m_watching = true;
}

TerminationRequests::~TerminationRequests() {
    if (!m_watching) return;
    SetConsoleCtrlHandler(&OnConsoleEvent, FALSE);
    std::lock_guard lock(g_lock);
    // A handler waiting for the ending lets the system go on now. Its
    // event stays open: the handler may still hold it.
    SetEvent(g_ended);
    CloseHandle(g_wake);
    g_wake = nullptr;
    g_ended = nullptr;
}

bool TerminationRequests::IsHandled(int signalNumber) {
    std::lock_guard lock(g_lock);
    return g_wake != nullptr &&
           (signalNumber == SIGINT || signalNumber == SIGBREAK || signalNumber == SIGTERM);
}

std::vector<int> TerminationRequests::Take() {
    std::lock_guard lock(g_lock);
    if (!m_watching) return {};
    ResetEvent(g_wake);
    return std::exchange(g_pending, {});
}
