#include "platform/DeviceAnnouncer.h"

#include <windows.h>

#include "platform/win32/WaitBreakerEvents.h"

namespace {

// Waits on the breaker's events and `event`; true when `event` was set.
bool WaitFor(const WaitBreaker& breaker, HANDLE event, std::chrono::milliseconds limit) {
    HANDLE waits[3];
    DWORD count = 0;
    for (HANDLE signal : {StopEventOf(breaker), NudgeEventOf(breaker), event}) {
        if (signal != nullptr) waits[count++] = signal;
    }
    const DWORD ms = static_cast<DWORD>(limit.count() < 0 ? 0 : limit.count());
    if (count == 0) {
        Sleep(ms);
        return false;
    }
    const DWORD woke = WaitForMultipleObjects(count, waits, FALSE, ms);
    return event != nullptr && woke == WAIT_OBJECT_0 + count - 1;
}

// Windows tells of devices only to windows: the link tries again each period.
class PeriodAnnouncer final : public DeviceAnnouncer {
public:
    bool Wait(const WaitBreaker& breaker, std::chrono::milliseconds limit) override {
        return WaitFor(breaker, nullptr, limit);
    }
};

}  // namespace

std::unique_ptr<DeviceAnnouncer> SystemDeviceAnnouncer() {
    return std::make_unique<PeriodAnnouncer>();
}

// An auto-reset event: set by an announcement, cleared by the wait it ends.
struct ToldDeviceAnnouncer::Signal {
    HANDLE event = nullptr;
};

ToldDeviceAnnouncer::ToldDeviceAnnouncer() : m_signal(std::make_unique<Signal>()) {
    m_signal->event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

ToldDeviceAnnouncer::~ToldDeviceAnnouncer() {
    if (m_signal->event != nullptr) CloseHandle(m_signal->event);
}

void ToldDeviceAnnouncer::Announce() {
    if (m_signal->event != nullptr) SetEvent(m_signal->event);
}

bool ToldDeviceAnnouncer::Wait(const WaitBreaker& breaker, std::chrono::milliseconds limit) {
    return WaitFor(breaker, m_signal->event, limit);
}
