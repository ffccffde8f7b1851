#pragma once
// Setting a tty's line straight through the Linux kernel's termios2 calls.
// Two reasons: rates without a speed code (the Win32 rates 14400, 56000,
// 128000, 256000) can only be set there, and the C library's tcsetattr()
// reports a failure whenever a driver quietly keeps its own parity or byte
// size (pseudo-terminals carry 8 bits without parity whatever is asked),
// although the kernel took the call. The fields travel as plain integers
// because the kernel's termios and the C library's clash in one file.

#include <cstdint>

struct KernelTermios {
    uint32_t iflag = 0;
    uint32_t oflag = 0;
    uint32_t cflag = 0;
    uint32_t lflag = 0;
    uint8_t line = 0;
    uint8_t cc[32] = {};      // by the usual V* indices
    uint32_t customBaud = 0;  // 0: the speed code in cflag stands
};

// Applies k at once. False where the kernel refuses, or where this is no
// Linux system (the caller then uses tcsetattr()).
bool SetKernelTermios(int fd, const KernelTermios& k);

// The output rate of fd in bits per second as the kernel holds it; 0 when it
// cannot be read.
uint32_t GetKernelBaudRate(int fd);

// Whether SetKernelTermios works here at all.
bool HaveKernelTermios();
