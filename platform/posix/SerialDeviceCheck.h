#pragma once
// What opening a serial device would meet, told without disturbing it: the
// check sends nothing, keeps no lock and changes no line setting.

#include <string>

enum class DeviceState {
    Ready,
    Missing,       // "No such device"
    NoPermission,  // "Permission denied: add your user to the dialout group ..."
    Busy,          // "In use by another program"
    NotSerial,     // "Not a serial device"
    Failed,        // the system's own error text
};

struct DeviceCheck {
    DeviceState state = DeviceState::Failed;
    std::string text;
};

// Checks `path` as PosixCommDevice would open it (links followed).
DeviceCheck CheckSerialDevice(const std::string& path);

// The words for a failed open with the system error `error` (errno).
DeviceCheck DescribeOpenError(int error);
DeviceCheck DescribeState(DeviceState state);
