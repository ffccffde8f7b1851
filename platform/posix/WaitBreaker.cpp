// The wait breaker's descriptors: one pipe per signal, holding one byte while
// the signal is raised, so that poll() on the read end wakes.

#include <fcntl.h>
#include <unistd.h>

#include "platform/posix/WaitBreakerPipes.h"

namespace {

void OpenPipe(int (&ends)[2]) {
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) ends[0] = ends[1] = -1;
}

void ClosePipe(int (&ends)[2]) {
    for (int& fd : ends) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
}

void Raise(const int (&ends)[2]) {
    if (ends[1] < 0) return;
    const char byte = 1;
    // A full pipe is raised already.
    [[maybe_unused]] const ssize_t n = write(ends[1], &byte, 1);
}

void Drain(const int (&ends)[2]) {
    if (ends[0] < 0) return;
    char bytes[16];
    while (read(ends[0], bytes, sizeof bytes) > 0) {
    }
}

}  // namespace

WaitBreaker::WaitBreaker() : m_signals(std::make_unique<Signals>()) {
    OpenPipe(m_signals->stopPipe);
    OpenPipe(m_signals->nudgePipe);
}

WaitBreaker::~WaitBreaker() {
    ClosePipe(m_signals->stopPipe);
    ClosePipe(m_signals->nudgePipe);
}

void WaitBreaker::Stop() {
    if (!m_stopped.exchange(true)) Raise(m_signals->stopPipe);
}

void WaitBreaker::Nudge() {
    std::lock_guard lock(m_nudgeLock);
    if (!m_nudged.exchange(true)) Raise(m_signals->nudgePipe);
}

void WaitBreaker::Settle() {
    std::lock_guard lock(m_nudgeLock);
    if (m_nudged.exchange(false)) Drain(m_signals->nudgePipe);
}
