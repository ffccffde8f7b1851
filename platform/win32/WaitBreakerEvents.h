#pragma once
// The wait breaker's signals on Windows: one manual-reset event per signal,
// set while the signal is raised, for a wait in WaitForMultipleObjects.
// Include after <windows.h>.

#include "platform/WaitBreaker.h"

struct WaitBreaker::Signals {
    HANDLE stop = nullptr;
    HANDLE nudge = nullptr;
};

// Null when the event could not be made.
inline HANDLE StopEventOf(const WaitBreaker& breaker) {
    return breaker.SystemSignals().stop;
}
inline HANDLE NudgeEventOf(const WaitBreaker& breaker) {
    return breaker.SystemSignals().nudge;
}
