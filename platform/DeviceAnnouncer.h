#pragma once
// Word of serial devices coming while the link's device is gone, and the
// wait between reconnection tries. On Linux the system announces tty devices
// (udev); on Windows nothing does without a window, so the link only waits
// for its next try there (a front end that learns of devices may Announce).

#include <chrono>
#include <memory>

class WaitBreaker;

class DeviceAnnouncer {
public:
    virtual ~DeviceAnnouncer() = default;
    // Waits up to `limit`, ending early when `breaker` is stopped or nudged;
    // true when a device was announced meanwhile.
    virtual bool Wait(const WaitBreaker& breaker, std::chrono::milliseconds limit) = 0;
};

// The system's own announcements.
std::unique_ptr<DeviceAnnouncer> SystemDeviceAnnouncer();

// Announces what Announce tells it, from any thread: for tests, and for a
// front end that hears of devices itself.
class ToldDeviceAnnouncer final : public DeviceAnnouncer {
public:
    ToldDeviceAnnouncer();
    ~ToldDeviceAnnouncer() override;
    ToldDeviceAnnouncer(const ToldDeviceAnnouncer&) = delete;
    ToldDeviceAnnouncer& operator=(const ToldDeviceAnnouncer&) = delete;

    void Announce();
    bool Wait(const WaitBreaker& breaker, std::chrono::milliseconds limit) override;

private:
    struct Signal;
    std::unique_ptr<Signal> m_signal;
};
