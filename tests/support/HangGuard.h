#pragma once
// Ends the test program if a call that must return does not.

#include <unistd.h>

class HangGuard {
public:
    explicit HangGuard(unsigned seconds) { alarm(seconds); }
    ~HangGuard() { alarm(0); }
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;
};
