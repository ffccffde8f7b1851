#pragma once
// A fuzzer's check: a broken rule stops the run where the fuzzer sees it.

inline void Check(bool condition) {
    if (!condition) __builtin_trap();
}
