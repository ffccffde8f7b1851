#include "platform/posix/SerialDeviceCheck.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/DeviceLockOwner.h"
#include "platform/posix/SerialPortProbe.h"

DeviceCheck DescribeState(DeviceState state) {
    switch (state) {
        case DeviceState::Ready:
            return {state, "Ready"};
        case DeviceState::Missing:
            return {state, "No such device"};
        case DeviceState::NoPermission:
            return {state,
                    "Permission denied: add your user to the dialout group and log in again"};
        case DeviceState::Busy:
            return {state, "In use by another program"};
        case DeviceState::NotSerial:
            return {state, "Not a serial device"};
        case DeviceState::Failed:
            break;
    }
    return {DeviceState::Failed, "Unknown error"};
}

DeviceCheck DescribeOpenError(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return DescribeState(DeviceState::Missing);
        case EACCES:
        case EPERM:
            return DescribeState(DeviceState::NoPermission);
        case EBUSY:
        case EWOULDBLOCK:
            return DescribeState(DeviceState::Busy);
        case ENOTTY:
        case EISDIR:
            return DescribeState(DeviceState::NotSerial);
        default:
            return {DeviceState::Failed, std::strerror(error)};
    }
}

namespace {

// Taken by another opener, unless the holder is this program itself (the
// port it has open now, which it closes before opening again).
DeviceCheck Taken(const struct stat& device) {
    return DescribeState(ThisProcessHoldsLock(device) ? DeviceState::Ready : DeviceState::Busy);
}

}  // namespace

DeviceCheck CheckSerialDevice(const std::string& path) {
    struct stat device {};
    if (path.empty()) return DescribeState(DeviceState::Missing);
    if (::stat(path.c_str(), &device) != 0) return DescribeOpenError(errno);
    if (!S_ISCHR(device.st_mode)) return DescribeState(DeviceState::NotSerial);

    // Non-blocking, so that no carrier wait holds the check up; no
    // controlling terminal; nothing written and no setting changed.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return error == EBUSY ? Taken(device) : DescribeOpenError(error);
    }
    DeviceCheck result = DescribeState(DeviceState::Ready);
    if (!isatty(fd)) {
        result = DescribeState(DeviceState::NotSerial);
    } else if (!DriverReportsPort(fd)) {
        result = DescribeState(DeviceState::Missing);
    } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        result = errno == EWOULDBLOCK ? Taken(device) : DescribeOpenError(errno);
    }
    // Closing releases a lock taken here.
    ::close(fd);
    return result;
}
