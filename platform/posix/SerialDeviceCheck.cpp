#include "platform/posix/SerialDeviceCheck.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/posix/DeviceLockFile.h"
#include "platform/posix/DeviceLockOwner.h"
#include "platform/posix/SerialPortProbe.h"

namespace {

const UserAccounts* g_accounts = nullptr;

const UserAccounts& Accounts() {
    static const UserAccounts system;
    return g_accounts != nullptr ? *g_accounts : system;
}

DeviceCheck Checked(DeviceState state, std::string text) {
    DeviceCheck check;
    check.state = state;
    check.text = std::move(text);
    return check;
}

bool AllDigits(const std::string& s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::string ModeText(const struct stat& device) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(device.st_mode & 07777));
    return mode;
}

// The other process that holds the device: its lock file, else its flock().
LockFileHolding OtherHolder(const std::string& device, const struct stat& info,
                            const std::string& lockFolder) {
    const pid_t self = ::getpid();
    LockFileHolding byFile = LockFileHolder(lockFolder, device);
    if (byFile.process == self) byFile.process = 0;
    if (byFile.Held()) return byFile;
    for (pid_t pid : DeviceLockHolders(info)) {
        if (pid != self) {
            LockFileHolding byFlock;
            byFlock.process = pid;
            return byFlock;
        }
    }
    return {};
}

// The one look at the device itself, for what no file tells: a program that
// keeps others out with TIOCEXCL alone, and a legacy port node without a
// UART. The line settings stay as found, HUPCL included: the open raises
// DTR and RTS on a port nobody holds, and the close drops them again only
// where they were set to drop, leaving the port as it was (a port someone
// else holds open keeps its lines, as this close is not the last).
DeviceCheck LookInside(const std::string& device, const struct stat& info) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // Held by this process itself (the port it has open now, which it
        // closes before opening again).
        if (error == EBUSY && ThisProcessHoldsLock(info)) return DescribeState(DeviceState::Ready);
        return DescribeOpenFailure(device, error);
    }
    DeviceCheck result = DescribeState(DeviceState::Ready);
    termios t{};
    if (!isatty(fd) || tcgetattr(fd, &t) != 0) {
        result = DescribeState(DeviceState::NotSerial);
    } else if (!DriverReportsPort(fd)) {
        result = DescribeState(DeviceState::Missing);
    }
    ::close(fd);
    return result;
}

}  // namespace

bool UserAccounts::MayReadWrite(const std::string& path) const {
    return ::access(path.c_str(), R_OK | W_OK) == 0;
}

namespace {

// The reentrant look-ups fill a buffer of their own; a window thread and the
// link thread may both describe a device.
template <class Entry, class Key, class Lookup>
bool LookUp(Key key, Entry& entry, std::vector<char>& buffer, Lookup lookup) {
    buffer.resize(4096);
    for (;;) {
        Entry* found = nullptr;
        const int error = lookup(key, &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE && buffer.size() < (1u << 20)) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        return error == 0 && found != nullptr;
    }
}

}  // namespace

std::string UserAccounts::UserName(uid_t uid) const {
    passwd entry{};
    std::vector<char> buffer;
    return LookUp(uid, entry, buffer, getpwuid_r) ? entry.pw_name : std::to_string(uid);
}

std::string UserAccounts::GroupName(gid_t gid) const {
    group entry{};
    std::vector<char> buffer;
    return LookUp(gid, entry, buffer, getgrgid_r) ? entry.gr_name : std::to_string(gid);
}

bool UserAccounts::ProcessInGroup(gid_t gid) const {
    if (::getegid() == gid) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.end();
}

bool UserAccounts::ListedInGroup(gid_t gid) const {
    passwd user{};
    std::vector<char> userBuffer;
    if (!LookUp(::getuid(), user, userBuffer, getpwuid_r)) return false;
    if (user.pw_gid == gid) return true;
    group entry{};
    std::vector<char> groupBuffer;
    if (!LookUp(gid, entry, groupBuffer, getgrgid_r)) return false;
    for (char** member = entry.gr_mem; member != nullptr && *member != nullptr; ++member) {
        if (std::strcmp(user.pw_name, *member) == 0) return true;
    }
    return false;
}

void SetUserAccounts(const UserAccounts* accounts) {
    g_accounts = accounts;
}

DeviceCheck DescribeState(DeviceState state) {
    switch (state) {
        case DeviceState::Ready:
            return Checked(state, "Ready");
        case DeviceState::Missing:
            return Checked(state, "No such device");
        case DeviceState::NoPermission:
            return Checked(state, "Permission denied");
        case DeviceState::Busy:
            return Checked(state, "In use by another program");
        case DeviceState::NotSerial:
            return Checked(state, "Not a serial device");
        case DeviceState::Failed:
            break;
    }
    return Checked(DeviceState::Failed, "Unknown error");
}

DeviceCheck DescribeHolder(pid_t holder) {
    DeviceCheck busy = DescribeState(DeviceState::Busy);
    if (holder > 0) {
        busy.text += " (process " + std::to_string(holder) + ")";
        busy.holding.process = holder;
    }
    return busy;
}

DeviceCheck DescribeHolding(const LockFileHolding& holding) {
    if (holding.process != 0 || holding.why.empty()) return DescribeHolder(holding.process);
    DeviceCheck busy = DescribeState(DeviceState::Busy);
    busy.text += " (" + holding.why + ")";
    busy.holding = holding;
    return busy;
}

DeviceCheck DescribeNoPermission(const struct stat& device) {
    DeviceCheck denied = DescribeState(DeviceState::NoPermission);
    const UserAccounts& accounts = Accounts();
    const bool groupMayUse = (device.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    const std::string group = accounts.GroupName(device.st_gid);
    if (groupMayUse && !accounts.ProcessInGroup(device.st_gid)) {
        if (accounts.ListedInGroup(device.st_gid)) {
            denied.text += ": your user is in the " + group +
                           " group, but this login is not yet: log in again";
            denied.advice = PermissionAdvice::LogInAgain;
            denied.adviceGroup = group;
        } else if (group == "dialout") {
            denied.text += ": add your user to the dialout group";
            denied.advice = PermissionAdvice::JoinDialout;
        }
    }
    denied.owner = accounts.UserName(device.st_uid);
    denied.group = group;
    denied.mode = ModeText(device);
    denied.text += " (" + denied.owner + ":" + denied.group + " " + denied.mode + ")";
    return denied;
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
        default: {
            DeviceCheck failed = Checked(DeviceState::Failed, std::strerror(error));
            failed.error = error;
            return failed;
        }
    }
}

DeviceCheck DescribeOpenFailure(const std::string& path, int error) {
    struct stat device {};
    const bool known = !path.empty() && ::stat(path.c_str(), &device) == 0;
    if (known && (error == EACCES || error == EPERM)) return DescribeNoPermission(device);
    if (known && (error == EBUSY || error == EWOULDBLOCK)) {
        const std::vector<pid_t> holders = DeviceLockHolders(device);
        return DescribeHolder(holders.empty() ? 0 : holders.front());
    }
    return DescribeOpenError(error);
}

bool HasSerialPortName(const std::string& device) {
    const size_t slash = device.find_last_of('/');
    const std::string name = device.substr(slash == std::string::npos ? 0 : slash + 1);
    const std::string folder = slash == std::string::npos ? std::string() : device.substr(0, slash);
    if (AllDigits(name) && folder.size() >= 4 &&
        folder.compare(folder.size() - 4, 4, "/pts") == 0) {
        return true;  // a pseudo-terminal, as a simulated phone offers
    }
    if (name.empty() || !std::isdigit(static_cast<unsigned char>(name.back()))) return false;
    // "tty" and a driver's letters ("ttyS0", "ttyUSB0"), not a console ("tty1").
    if (name.size() > 4 && name.compare(0, 3, "tty") == 0) {
        return std::isalpha(static_cast<unsigned char>(name[3])) != 0;
    }
    for (const char* prefix : {"rfcomm", "ircomm", "cu."}) {
        if (name.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

DeviceCheck CheckSerialDevice(const std::string& path) {
    return CheckSerialDevice(path, DeviceLockFolder());
}

DeviceCheck CheckSerialDevice(const std::string& path, const std::string& lockFolder) {
    if (path.empty()) return DescribeState(DeviceState::Missing);
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return DescribeOpenError(errno);
    const std::string device = resolved;
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0) return DescribeOpenError(errno);
    if (!S_ISCHR(info.st_mode) || !HasSerialPortName(device)) {
        return DescribeState(DeviceState::NotSerial);
    }
    if (const LockFileHolding holder = OtherHolder(device, info, lockFolder); holder.Held()) {
        return DescribeHolding(holder);
    }
    if (!Accounts().MayReadWrite(device)) return DescribeNoPermission(info);
    // This process's own port: no one else's, and not to be opened twice.
    if (ThisProcessHoldsLock(info)) return DescribeState(DeviceState::Ready);
    return LookInside(device, info);
}
