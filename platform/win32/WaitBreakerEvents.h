#pragma once
// The wait breaker's signals as Win32 events, for a device that waits in
// WaitForMultipleObjects. Windows keeps only the low 32 bits of a kernel
// handle significant, even in 64-bit processes, so the breaker keeps its two
// manual-reset events where the POSIX form keeps its pipes' read ends.

#include <cstdint>

#include "platform/WaitBreaker.h"

// Include after <windows.h>.
inline HANDLE StopEventOf(const WaitBreaker& breaker) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(breaker.StopFd()));
}
inline HANDLE NudgeEventOf(const WaitBreaker& breaker) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(breaker.NudgeFd()));
}
