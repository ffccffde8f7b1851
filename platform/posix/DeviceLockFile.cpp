#include "platform/posix/DeviceLockFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/DeviceLocks.h"

namespace {

// Every lock file a DeviceLockFile of this process has written and not yet
// removed, so that an end without the link thread can remove them.
std::mutex g_heldLock;
std::set<std::string>& HeldPaths() {
    static std::set<std::string> paths;
    return paths;
}

void NoteHeld(const std::string& path, bool held) {
    std::lock_guard lock(g_heldLock);
    if (held)
        HeldPaths().insert(path);
    else
        HeldPaths().erase(path);
}

constexpr size_t kMaxLockFileSize = 64;

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool IsFolder(const char* path) {
    struct stat info {};
    return ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// The process id in a lock file's text; 0 for anything else. Some old
// programs wrote it as four binary bytes.
pid_t ParseHolder(const char* text, size_t size) {
    // Four bytes not ended by a newline: a binary number ("123\n" is text).
    if (size == sizeof(int32_t) && text[size - 1] != '\n') {
        int32_t binary = 0;
        std::memcpy(&binary, text, sizeof binary);
        return binary > 0 ? binary : 0;
    }
    char* end = nullptr;
    errno = 0;
    const long pid = std::strtol(text, &end, 10);
    return end != text && errno == 0 && pid > 0 && pid <= INT32_MAX ? static_cast<pid_t>(pid) : 0;
}

pid_t ReadHolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return 0;
    char text[kMaxLockFileSize + 1] = {};
    const ssize_t n = ::read(fd, text, kMaxLockFileSize);
    ::close(fd);
    return n > 0 ? ParseHolder(text, static_cast<size_t>(n)) : 0;
}

// A process that has ended but not yet been collected by its parent still
// answers kill(); it holds no device any more.
bool HasEnded(pid_t pid) {
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%ld/stat", static_cast<long>(pid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char text[512] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    // "pid (name) S ...": the state follows the name's last bracket.
    const char* close = n > 0 ? std::strrchr(text, ')') : nullptr;
    return close != nullptr && close[1] == ' ' && (close[2] == 'Z' || close[2] == 'X');
}

// EPERM: the process exists but belongs to another user.
bool IsAlive(pid_t pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM) && !HasEnded(pid);
}

}  // namespace

std::string DeviceLockFolder() {
    const char* dir = std::getenv("TELVOXA_LOCK_DIR");
    if (dir != nullptr && *dir != '\0') return dir;
    for (const char* folder : {"/run/lock", "/var/lock"}) {
        if (IsFolder(folder)) return folder;
    }
    return "/var/lock";
}

std::string LockFileName(const std::string& device) {
    std::string name = device;
    if (name.rfind("/dev/", 0) == 0) {
        name.erase(0, 5);
    } else {
        name.erase(0, name.find_last_of('/') + 1);
    }
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    return "LCK.." + name;
}

pid_t LockFileHolder(const std::string& folder, const std::string& device) {
    const pid_t pid = ReadHolder(JoinPath(folder, LockFileName(device)));
    return IsAlive(pid) ? pid : 0;
}

bool DeviceLockFile::Take(const std::string& device, pid_t& holder) {
    Release();
    holder = 0;
    const std::string path = JoinPath(m_folder, LockFileName(device));
    const pid_t self = ::getpid();
    char text[16];
    std::snprintf(text, sizeof text, "%10ld\n", static_cast<long>(self));

    // Written whole under a name of its own, then linked into place: the
    // link fails while another lock file is there, and no reader ever sees
    // half a file.
    const std::string temporary = JoinPath(m_folder, "LTMP." + std::to_string(self));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        // No right to the folder: other programs' files are still honoured.
        holder = LockFileHolder(m_folder, device);
        return holder == 0 || holder == self;
    }
    const bool written = ::write(fd, text, std::strlen(text)) == static_cast<ssize_t>(10 + 1);
    ::close(fd);
    bool taken = false;
    for (int attempt = 0; written && attempt < 2 && !taken; ++attempt) {
        if (::link(temporary.c_str(), path.c_str()) == 0) {
            taken = true;
            break;
        }
        if (errno != EEXIST) break;
        const pid_t other = ReadHolder(path);
        // Already this process's (another opener of the port in it): the
        // file stays that opener's to remove.
        if (other == self) break;
        if (IsAlive(other)) {
            holder = other;
            break;
        }
        // The process that wrote it has gone: the file is stale.
        ::unlink(path.c_str());
    }
    ::unlink(temporary.c_str());
    if (taken) {
        m_path = path;
        NoteHeld(path, true);
    }
    return holder == 0;
}

void DeviceLockFile::Release() {
    if (m_path.empty()) return;
    if (ReadHolder(m_path) == ::getpid()) ::unlink(m_path.c_str());
    NoteHeld(m_path, false);
    m_path.clear();
}

void ReleaseHeldDeviceLocks() {
    std::lock_guard lock(g_heldLock);
    for (const std::string& path : HeldPaths()) {
        if (ReadHolder(path) == ::getpid()) ::unlink(path.c_str());
    }
    HeldPaths().clear();
}
