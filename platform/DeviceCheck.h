#pragma once
// What opening a serial device would meet now, in words for the user.

#include <string>

enum class DeviceState {
    Ready,
    Missing,       // "No such device"
    NoPermission,  // "Permission denied ..." with the advice that fits
    Busy,          // "In use by another program"
    NotSerial,     // "Not a serial device"
    Failed,        // the system's own error text
};

struct DeviceCheck {
    DeviceState state = DeviceState::Failed;
    std::string text;
};

// Checks `path` (a device path, or a port name on Windows) as the comm device
// would open it, without disturbing a device in use.
DeviceCheck CheckSerialDevice(const std::string& path);
