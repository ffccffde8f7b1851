#include "platform/posix/TtyHotplugMonitor.h"

#include <fcntl.h>
#include <libudev.h>

#include <cstring>

TtyHotplugMonitor::TtyHotplugMonitor() {
    m_udev = udev_new();
    if (m_udev == nullptr) return;
    // Events as udev passes them on, after its rules made the device nodes
    // and the by-id links.
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "tty", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0) {
        if (m_monitor != nullptr) udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
        return;
    }
    // Draining must never wait.
    const int fd = udev_monitor_get_fd(m_monitor);
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

TtyHotplugMonitor::~TtyHotplugMonitor() {
    if (m_monitor != nullptr) udev_monitor_unref(m_monitor);
    if (m_udev != nullptr) udev_unref(m_udev);
}

int TtyHotplugMonitor::Fd() const {
    return m_monitor != nullptr ? udev_monitor_get_fd(m_monitor) : -1;
}

bool TtyHotplugMonitor::DrainEvents() {
    if (m_monitor == nullptr) return false;
    bool added = false;
    while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
        const char* action = udev_device_get_action(device);
        if (action != nullptr && std::strcmp(action, "add") == 0) added = true;
        udev_device_unref(device);
    }
    return added;
}
