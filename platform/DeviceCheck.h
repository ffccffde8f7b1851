#pragma once
// What opening a serial device would meet now, in words for the user, with
// the parts of those words for telling them in another language.

#include <string>

enum class DeviceState {
    Ready,
    Missing,       // "No such device"
    NoPermission,  // "Permission denied ..." with the advice that fits
    Busy,          // "In use by another program"
    NotSerial,     // "Not a serial device"
    Failed,        // the system's own error text
};

// Who holds a device: a live process, or nobody who can be known, as when
// its lock file's name is taken by something that is no lock file at all (a
// FIFO, a folder, a link), which is never opened and counts as in use.
enum class LockFileOddity { None, Link, NotRegularFile, BeingReplaced };
struct LockFileHolding {
    long process = 0;
    std::string why;  // "LCK..ttyS0 is not a regular file" and the like
    // The parts of `why`, for telling it in another language.
    LockFileOddity oddity = LockFileOddity::None;
    std::string lockFile;  // "LCK..ttyS0"
    bool Held() const { return process != 0 || !why.empty(); }
};

// What a "Permission denied" advises the user to do.
enum class PermissionAdvice {
    None,
    LogInAgain,   // the user is in the device's group, this login not yet
    JoinDialout,  // the device belongs to the dialout group
};

struct DeviceCheck {
    DeviceState state = DeviceState::Failed;
    std::string text;  // in English, as the logs and --list-ports give it
    // The parts of `text`, for telling it in another language:
    LockFileHolding holding;  // Busy: who holds it, or why it counts as held
    PermissionAdvice advice = PermissionAdvice::None;  // NoPermission
    std::string adviceGroup;                           // LogInAgain: the group
    // NoPermission: the device's owner, group and mode ("0600"), when known.
    std::string owner;
    std::string group;
    std::string mode;
    int error = 0;  // Failed: the system error `text` tells, 0 when none
};

// Checks `path` (a device path, or a port name on Windows) as the comm device
// would open it, without disturbing a device in use.
DeviceCheck CheckSerialDevice(const std::string& path);
