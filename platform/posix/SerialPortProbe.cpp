#include "platform/posix/SerialPortProbe.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <fstream>

namespace {

constexpr unsigned kLegacyPortMajor = 4;
constexpr unsigned kFirstLegacyPortMinor = 64;

}  // namespace

bool DriverReportsPort(int fd) {
    // Only the legacy ports (major 4, from minor 64: ttyS*) exist without
    // hardware; other drivers (cdc-acm among them) leave the type unknown
    // for ports that are very much there.
    struct stat device {};
    if (fstat(fd, &device) != 0 || major(device.st_rdev) != kLegacyPortMajor ||
        minor(device.st_rdev) < kFirstLegacyPortMinor) {
        return true;
    }
    serial_struct info{};
    if (ioctl(fd, TIOCGSERIAL, &info) != 0) return true;
    return info.type != PORT_UNKNOWN;
}

bool AnswersAsSerialPort(const std::string& devicePath) {
    const std::string name = devicePath.substr(devicePath.find_last_of('/') + 1);
    // Readable without any right on the device itself.
    std::ifstream type("/sys/class/tty/" + name + "/type");
    int code = 0;
    if (type >> code) return code != PORT_UNKNOWN;

    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    const bool present = DriverReportsPort(fd);
    ::close(fd);
    return present;
}
