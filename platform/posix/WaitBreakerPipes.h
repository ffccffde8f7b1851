#pragma once
// The wait breaker's signals on POSIX: one pipe per signal, holding a byte
// while the signal is raised, so that poll() on the read end wakes.

#include "platform/WaitBreaker.h"

struct WaitBreaker::Signals {
    int stopPipe[2] = {-1, -1};
    int nudgePipe[2] = {-1, -1};
};

// The read ends to poll; -1 when the pipe could not be made.
inline int StopFdOf(const WaitBreaker& breaker) {
    return breaker.SystemSignals().stopPipe[0];
}
inline int NudgeFdOf(const WaitBreaker& breaker) {
    return breaker.SystemSignals().nudgePipe[0];
}
