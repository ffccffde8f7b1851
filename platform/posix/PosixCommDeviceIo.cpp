// ReadFile and WriteFile of the tty device: the Win32 COMMTIMEOUTS rules
// carried out with poll() on a non-blocking descriptor.

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>

#include "platform/posix/PosixCommDevice.h"
#include "platform/posix/TermiosDcb.h"
#include "platform/posix/WaitBreakerPipes.h"

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;

constexpr uint32_t kMaxDword = UINT32_MAX;
// Longer limits than this (about 31 years) are as good as none and would
// overflow the clock.
constexpr uint64_t kLongestLimitMs = 1'000'000'000'000ULL;

// An optional deadline: a limit of 0 from both terms means none.
struct Deadline {
    bool limited = false;
    Clock::time_point at{};

    static Deadline After(Clock::time_point start, uint64_t multiplier, uint64_t count,
                          uint64_t constant) {
        if (multiplier == 0 && constant == 0) return {};
        // Both terms are below 2^32, so the sum cannot overflow 64 bits.
        const uint64_t ms = std::min(multiplier * count + constant, kLongestLimitMs);
        return {true, start + Millis(ms)};
    }
    Deadline EarlierOf(Deadline other) const {
        if (!limited) return other;
        if (!other.limited) return *this;
        return {true, std::min(at, other.at)};
    }
    bool Passed(Clock::time_point now) const { return limited && now >= at; }
    // The poll() time-out that ends at the deadline (rounded up, so that the
    // wait never ends early and loops), -1 for none.
    int PollTimeout(Clock::time_point now) const {
        if (!limited) return -1;
        const auto left = std::chrono::ceil<Millis>(at - now).count();
        return static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
    }
};

// How one ReadFile may end besides having all bytes.
struct ReadRule {
    // Return with what is queued as soon as nothing more is there (and, for
    // waitForFirst, once at least one byte came).
    bool returnWhenDrained = false;
    bool waitForFirst = false;
    Deadline total;
    uint32_t interval = 0;  // 0: no interval limit
};

ReadRule RuleFor(const CommTimeouts& to, uint32_t toRead, Clock::time_point start) {
    ReadRule rule;
    const uint32_t interval = to.ReadIntervalTimeout;
    if (interval == kMaxDword && to.ReadTotalTimeoutMultiplier == 0 &&
        to.ReadTotalTimeoutConstant == 0) {
        rule.returnWhenDrained = true;  // hand out what is there, even nothing
        return rule;
    }
    if (interval == kMaxDword && to.ReadTotalTimeoutMultiplier == kMaxDword &&
        to.ReadTotalTimeoutConstant != 0 && to.ReadTotalTimeoutConstant != kMaxDword) {
        // Wait up to the constant for a first byte, then return at once.
        rule.returnWhenDrained = true;
        rule.waitForFirst = true;
        rule.total = Deadline::After(start, 0, 0, to.ReadTotalTimeoutConstant);
        return rule;
    }
    rule.total =
        Deadline::After(start, to.ReadTotalTimeoutMultiplier, toRead, to.ReadTotalTimeoutConstant);
    rule.interval = interval;
    return rule;
}

enum class Wait { Ready, TimedOut, HungUp, Failed, Broken };

// Waits for the descriptor to become readable or writable until the deadline,
// or until one of the breaker's descriptors (-1: none) turns readable.
Wait WaitFor(int fd, short events, const Deadline& deadline, int stopFd = -1, int nudgeFd = -1) {
    for (;;) {
        pollfd p[3] = {{fd, events, 0}, {stopFd, POLLIN, 0}, {nudgeFd, POLLIN, 0}};
        const int n = poll(p, 3, deadline.PollTimeout(Clock::now()));
        if (n < 0) {
            if (errno == EINTR) continue;
            return Wait::Failed;
        }
        if (n == 0) {
            // A limit longer than poll() can wait in one go ends here early.
            if (deadline.Passed(Clock::now())) return Wait::TimedOut;
            continue;
        }
        if (p[1].revents != 0 || p[2].revents != 0) return Wait::Broken;
        if (p[0].revents & POLLNVAL) return Wait::Failed;
        if (p[0].revents & events) return Wait::Ready;
        return Wait::HungUp;  // POLLHUP or POLLERR without data
    }
}

// Milliseconds the line takes for count bytes at the fd's speed (about 11
// bits each, start, data, parity and stop).
int64_t SendingTimeMs(int fd, uint32_t count) {
    termios t{};
    uint32_t baud = 0;
    if (tcgetattr(fd, &t) == 0) baud = BaudForSpeedCode(cfgetospeed(&t));
    if (baud == 0) baud = 9600;
    return static_cast<int64_t>(count) * 11 * 1000 / baud;
}

// Waits until the driver has sent what it holds, as a Win32 write completes
// only once its bytes are on the line (so that a purge right after it does
// not discard them). Answers how many bytes are still queued when the
// deadline passes; 0 where the driver cannot tell its queue.
uint32_t WaitUntilSent(int fd, const Deadline& deadline) {
    for (;;) {
        int queued = 0;
        if (ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0) return 0;
        const auto now = Clock::now();
        if (deadline.Passed(now)) return static_cast<uint32_t>(queued);
        int64_t napMs =
            std::clamp<int64_t>(SendingTimeMs(fd, static_cast<uint32_t>(queued)), 1, 20);
        if (deadline.limited) {
            napMs = std::min<int64_t>(napMs, std::chrono::ceil<Millis>(deadline.at - now).count());
        }
        std::this_thread::sleep_for(Millis(napMs));
    }
}

}  // namespace

bool PosixCommDevice::ReadFile(uint8_t* buffer, uint32_t toRead, uint32_t& got) {
    got = 0;
    if (!IsOpen() || m_gone || (buffer == nullptr && toRead != 0)) return false;
    if (toRead == 0) return true;

    const auto start = Clock::now();
    const ReadRule rule = RuleFor(m_timeouts, toRead, start);
    Clock::time_point lastArrival{};
    bool hangUpSeen = false;
    // A device that fails after some bytes came hands those out first; the
    // fault shows again on the next call.
    auto deviceFault = [&](int error) {
        FailIo(error);
        return got > 0;
    };

    while (got < toRead) {
        const ssize_t n = ::read(m_fd, buffer + got, toRead - got);
        if (n > 0) {
            got += static_cast<uint32_t>(n);
            lastArrival = Clock::now();
            continue;
        }
        if (n == 0) return deviceFault(EIO);  // hung up: the far end or the device is gone
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return deviceFault(errno);
        // Nothing queued now. A hang-up with nothing to read would only
        // repeat; the line is gone, which is no reason to spin.
        if (hangUpSeen) return deviceFault(EIO);
        if (rule.returnWhenDrained && (!rule.waitForFirst || got > 0)) break;

        Deadline deadline = rule.total;
        if (rule.interval != 0 && got > 0) {
            deadline = deadline.EarlierOf({true, lastArrival + Millis(rule.interval)});
        }
        if (deadline.Passed(Clock::now())) break;
        // Only a read that has received nothing may give way to a nudge.
        const int nudgeFd = IsYielding() && got == 0 ? NudgeFdOf(*Breaker()) : -1;
        switch (WaitFor(m_fd, POLLIN, deadline, StopFd(), nudgeFd)) {
            case Wait::Ready:
                break;
            case Wait::TimedOut:
                return true;
            case Wait::HungUp:
                hangUpSeen = true;
                break;
            case Wait::Failed:
                return deviceFault(0);
            case Wait::Broken:
                if (StopRaised()) return true;
                if (got == 0 && MayGiveWay()) {
                    NoteGaveWay();
                    return true;
                }
                break;
        }
    }
    return true;
}

bool PosixCommDevice::WriteFile(const uint8_t* buffer, uint32_t length, uint32_t& written) {
    written = 0;
    if (!IsOpen() || m_gone || (buffer == nullptr && length != 0)) return false;
    if (length == 0) return true;

    const Deadline deadline = Deadline::After(Clock::now(), m_timeouts.WriteTotalTimeoutMultiplier,
                                              length, m_timeouts.WriteTotalTimeoutConstant);
    bool hangUpSeen = false;
    bool timedOut = false;
    while (written < length && !timedOut) {
        const ssize_t n = ::write(m_fd, buffer + written, length - written);
        if (n > 0) {
            written += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return FailIo(errno);
        if (hangUpSeen) return FailIo(EIO);
        switch (WaitFor(m_fd, POLLOUT, deadline, StopFd())) {
            case Wait::Ready:
                break;
            case Wait::TimedOut:
            case Wait::Broken:
                timedOut = true;
                break;
            case Wait::HungUp:
                hangUpSeen = true;
                break;
            case Wait::Failed:
                return FailIo(0);
        }
    }
    // What the driver has not sent by the deadline is dropped, as a timed-out
    // Win32 write leaves it unsent, and is not counted as written.
    const uint32_t unsent = WaitUntilSent(m_fd, deadline);
    if (unsent > 0) {
        tcflush(m_fd, TCOFLUSH);
        written -= std::min(unsent, written);
    }
    return true;
}

int PosixCommDevice::StopFd() const {
    return Breaker() != nullptr ? StopFdOf(*Breaker()) : -1;
}

void PosixCommDevice::Sleep(uint32_t milliseconds) {
    const Deadline deadline = Deadline::After(Clock::now(), 0, 0, milliseconds);
    const int nudgeFd = IsYielding() ? NudgeFdOf(*Breaker()) : -1;
    while (!deadline.Passed(Clock::now())) {
        pollfd p[2] = {{StopFd(), POLLIN, 0}, {nudgeFd, POLLIN, 0}};
        const int n = poll(p, 2, deadline.PollTimeout(Clock::now()));
        if (n < 0 && errno != EINTR) return;
        if (n <= 0) continue;
        if (StopRaised()) return;
        if (MayGiveWay()) {
            NoteGaveWay();
            return;
        }
    }
}
