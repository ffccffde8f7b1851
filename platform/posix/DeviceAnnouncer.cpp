#include "platform/DeviceAnnouncer.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <functional>

#include "platform/posix/TtyHotplugMonitor.h"
#include "platform/posix/WaitBreakerPipes.h"

namespace {

// Waits on the breaker's pipes and `fd`; true when `fd` turned readable and
// `take` found an announcement in it.
bool PollFor(const WaitBreaker& breaker, int fd, std::chrono::milliseconds limit,
             const std::function<bool()>& take) {
    pollfd fds[3] = {
        {StopFdOf(breaker), POLLIN, 0}, {NudgeFdOf(breaker), POLLIN, 0}, {fd, POLLIN, 0}};
    const int ms = static_cast<int>(limit.count() < 0 ? 0 : limit.count());
    return poll(fds, 3, ms) > 0 && (fds[2].revents & POLLIN) && take();
}

class UdevAnnouncer final : public DeviceAnnouncer {
public:
    bool Wait(const WaitBreaker& breaker, std::chrono::milliseconds limit) override {
        return PollFor(breaker, m_monitor.Fd(), limit, [this] { return m_monitor.DrainEvents(); });
    }

private:
    TtyHotplugMonitor m_monitor;
};

}  // namespace

std::unique_ptr<DeviceAnnouncer> SystemDeviceAnnouncer() {
    return std::make_unique<UdevAnnouncer>();
}

// A pipe holding a byte per announcement not yet taken.
struct ToldDeviceAnnouncer::Signal {
    int ends[2] = {-1, -1};
};

ToldDeviceAnnouncer::ToldDeviceAnnouncer() : m_signal(std::make_unique<Signal>()) {
    if (pipe2(m_signal->ends, O_CLOEXEC | O_NONBLOCK) != 0)
        m_signal->ends[0] = m_signal->ends[1] = -1;
}

ToldDeviceAnnouncer::~ToldDeviceAnnouncer() {
    for (int fd : m_signal->ends) {
        if (fd >= 0) close(fd);
    }
}

void ToldDeviceAnnouncer::Announce() {
    // A full pipe holds announcements enough.
    [[maybe_unused]] const ssize_t n = write(m_signal->ends[1], "+", 1);
}

bool ToldDeviceAnnouncer::Wait(const WaitBreaker& breaker, std::chrono::milliseconds limit) {
    return PollFor(breaker, m_signal->ends[0], limit, [this] {
        char bytes[64];
        return read(m_signal->ends[0], bytes, sizeof bytes) > 0;
    });
}
