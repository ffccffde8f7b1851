#pragma once
// What opening a serial device would meet, told without disturbing it: the
// check learns what it can from the file, the lock files and the kernel's
// lock table, and opens the device only when nothing else can tell; then it
// sends nothing, keeps no lock and leaves the modem lines as they are.

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "platform/DeviceCheck.h"
#include "platform/posix/DeviceLockFile.h"

// What the system says about the user and a device's rights. Tests put in
// made-up accounts; nullptr restores the system's own.
class UserAccounts {
public:
    virtual ~UserAccounts() = default;
    // Whether this process may open `path` for reading and writing.
    virtual bool MayReadWrite(const std::string& path) const;
    virtual std::string UserName(uid_t uid) const;
    virtual std::string GroupName(gid_t gid) const;
    // Whether the running process has the group (effective or supplementary).
    virtual bool ProcessInGroup(gid_t gid) const;
    // Whether the user is a member in the group database (/etc/group), which
    // a process only takes in at the next login.
    virtual bool ListedInGroup(gid_t gid) const;
};
void SetUserAccounts(const UserAccounts* accounts);

// Checks `path` as PosixCommDevice would open it (links followed), with
// the lock files of `lockFolder`.
DeviceCheck CheckSerialDevice(const std::string& path, const std::string& lockFolder);

// Whether `device` (links followed) is named as serial ports are: ttyS0,
// ttyUSB0, ttyACM0, rfcomm0, a pseudo-terminal's pts/N and the like.
bool HasSerialPortName(const std::string& device);

// The words for a failed open of `path` with the system error `error`.
DeviceCheck DescribeOpenFailure(const std::string& path, int error);
// The same without looking at the device.
DeviceCheck DescribeOpenError(int error);
DeviceCheck DescribeState(DeviceState state);
// "In use by another program (process N)"; without the number for 0.
DeviceCheck DescribeHolder(pid_t holder);
// The same for a lock file: its process, else why it counts as held
// ("In use by another program (LCK..ttyS0 is not a regular file)").
DeviceCheck DescribeHolding(const LockFileHolding& holding);
// "Permission denied" with the advice that fits the device's owner, group
// and mode and the user's groups.
DeviceCheck DescribeNoPermission(const struct stat& device);
