#include "platform/posix/KernelTermios.h"

#ifdef __linux__
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cstring>

bool HaveKernelTermios() {
    return true;
}

bool SetKernelTermios(int fd, const KernelTermios& k) {
    termios2 t{};
    t.c_iflag = k.iflag;
    t.c_oflag = k.oflag;
    t.c_cflag = k.cflag;
    t.c_lflag = k.lflag;
    t.c_line = k.line;
    std::memcpy(t.c_cc, k.cc, std::min(sizeof t.c_cc, sizeof k.cc));
    if (k.customBaud != 0) {
        t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
        t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
        t.c_ispeed = k.customBaud;
        t.c_ospeed = k.customBaud;
    }
    return ioctl(fd, TCSETS2, &t) == 0;
}

uint32_t GetKernelBaudRate(int fd) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return 0;
    return t.c_ospeed;
}

#else

bool HaveKernelTermios() {
    return false;
}
bool SetKernelTermios(int, const KernelTermios&) {
    return false;
}
uint32_t GetKernelBaudRate(int) {
    return 0;
}

#endif
