#include "platform/posix/DeviceLockFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

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
// Rounds of finding a stale file and replacing it, and the pause while
// another program replaces the same one.
constexpr int kTakeAttempts = 20;
constexpr std::chrono::milliseconds kRetryPause{1};

std::string JoinPath(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool IsFolder(const char* path) {
    struct stat info {};
    return ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// Ten digits padded with spaces and a newline, or digits of any length
// alone: text. Some old programs wrote the id as four binary bytes.
bool LooksLikeText(const char* text, size_t size) {
    bool digit = false;
    for (size_t i = 0; i < size; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c != ' ' && c != '\n') {
            return false;
        }
    }
    return digit;
}

// The process id in a lock file's text; 0 for anything else.
pid_t ParseHolder(const char* text, size_t size) {
    if (size == sizeof(int32_t) && !LooksLikeText(text, size)) {
        int32_t binary = 0;
        std::memcpy(&binary, text, sizeof binary);
        return binary > 0 ? binary : 0;
    }
    char* end = nullptr;
    errno = 0;
    const long pid = std::strtol(text, &end, 10);
    return end != text && errno == 0 && pid > 0 && pid <= INT32_MAX ? static_cast<pid_t>(pid) : 0;
}

// A lock file as found: which file it is and the id it holds, read from the
// descriptor kept open, so that it can be told apart from a file that takes
// its place later.
struct FoundLockFile {
    int fd = -1;
    bool missing = false;
    LockFileHolding notLockFile;  // why the name holds no lock file
    struct stat info {};
    pid_t pid = 0;

    FoundLockFile() = default;
    FoundLockFile(const FoundLockFile&) = delete;
    FoundLockFile& operator=(const FoundLockFile&) = delete;
    ~FoundLockFile() {
        if (fd >= 0) ::close(fd);
    }
};

std::string BaseName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

// Never follows a link and never waits on a FIFO: either one is reported,
// not opened.
void ReadLockFile(const std::string& path, FoundLockFile& found) {
    found.fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (found.fd < 0) {
        if (errno == ENOENT) {
            found.missing = true;
        } else if (errno == ELOOP) {
            found.notLockFile = OddLockFile(LockFileOddity::Link, BaseName(path));
        }
        return;  // unreadable: no holder that can be known
    }
    if (::fstat(found.fd, &found.info) != 0 || !S_ISREG(found.info.st_mode)) {
        found.notLockFile = OddLockFile(LockFileOddity::NotRegularFile, BaseName(path));
        return;
    }
    char text[kMaxLockFileSize + 1] = {};
    const ssize_t n = ::read(found.fd, text, kMaxLockFileSize);
    found.pid = n > 0 ? ParseHolder(text, static_cast<size_t>(n)) : 0;
}

pid_t ReadHolder(const std::string& path) {
    FoundLockFile found;
    ReadLockFile(path, found);
    return found.pid;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes the stale file `found` only while the name still leads to it.
// The flock on it keeps two programs replacing it at once from both going
// on: the second finds, once it has the flock, that the name leads to the
// first one's new file. False when another program is at it right now or
// the file has changed; the caller looks again.
bool RemoveStale(const std::string& path, const FoundLockFile& found) {
    if (found.fd < 0) return ::unlink(path.c_str()) == 0 || errno == ENOENT;
    if (::flock(found.fd, LOCK_EX | LOCK_NB) != 0) return false;
    struct stat now {};
    const bool same = ::lstat(path.c_str(), &now) == 0 && SameFile(now, found.info);
    const bool removed = same && ::unlink(path.c_str()) == 0;
    ::flock(found.fd, LOCK_UN);
    return removed;
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

LockFileHolding OddLockFile(LockFileOddity oddity, const std::string& lockFile) {
    LockFileHolding holding;
    holding.oddity = oddity;
    holding.lockFile = lockFile;
    switch (oddity) {
        case LockFileOddity::None:
            break;
        case LockFileOddity::Link:
            holding.why = lockFile + " is a link";
            break;
        case LockFileOddity::NotRegularFile:
            holding.why = lockFile + " is not a regular file";
            break;
        case LockFileOddity::BeingReplaced:
            holding.why = lockFile + " is being replaced by another program";
            break;
    }
    return holding;
}

LockFileHolding LockFileHolder(const std::string& folder, const std::string& device) {
    FoundLockFile found;
    ReadLockFile(JoinPath(folder, LockFileName(device)), found);
    LockFileHolding holding = found.notLockFile;
    if (IsAlive(found.pid)) holding.process = found.pid;
    return holding;
}

bool DeviceLockFile::Take(const std::string& device, LockFileHolding& holder) {
    Release();
    holder = {};
    const std::string path = JoinPath(m_folder, LockFileName(device));
    const pid_t self = ::getpid();
    char text[16];
    std::snprintf(text, sizeof text, "%10ld\n", static_cast<long>(self));

    // Written whole under a name of its own, then linked into place: the
    // link fails while another lock file is there, and no reader ever sees
    // half a file. The name is new (O_EXCL, never through a link), as the
    // folder is everyone's and "LTMP.<pid>" may already be there.
    std::string temporary = JoinPath(m_folder, "LTMP." + std::to_string(self) + ".XXXXXX");
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        // No right to the folder: other programs' files are still honoured.
        holder = LockFileHolder(m_folder, device);
        if (holder.process == self) holder = {};
        return !holder.Held();
    }
    struct stat written {};
    const bool ready = ::fstat(fd, &written) == 0 && S_ISREG(written.st_mode) &&
                       written.st_uid == ::geteuid() && ::fchmod(fd, 0644) == 0 &&
                       ::write(fd, text, std::strlen(text)) == static_cast<ssize_t>(10 + 1);
    ::close(fd);
    bool taken = false;
    for (int attempt = 0; ready && !taken && attempt < kTakeAttempts; ++attempt) {
        if (::link(temporary.c_str(), path.c_str()) == 0) {
            taken = true;
            break;
        }
        if (errno != EEXIST) break;
        FoundLockFile found;
        ReadLockFile(path, found);
        if (found.missing) continue;  // removed meanwhile: try again
        if (found.notLockFile.Held()) {
            holder = found.notLockFile;
            break;
        }
        // Already this process's (another opener of the port in it): the
        // file stays that opener's to remove.
        if (found.pid == self) break;
        if (IsAlive(found.pid)) {
            holder.process = found.pid;
            break;
        }
        // The process that wrote it has gone: the file is stale.
        if (!RemoveStale(path, found)) std::this_thread::sleep_for(kRetryPause);
    }
    if (ready && !taken && !holder.Held() && ReadHolder(path) != self) {
        holder = OddLockFile(LockFileOddity::BeingReplaced, LockFileName(device));
    }
    ::unlink(temporary.c_str());
    if (taken) {
        m_path = path;
        m_device = written.st_dev;
        m_inode = written.st_ino;
        NoteHeld(path, true);
    }
    return !holder.Held();
}

void DeviceLockFile::Release() {
    if (m_path.empty()) return;
    // Only the file this process linked into place: one that someone put
    // there since is theirs.
    FoundLockFile found;
    ReadLockFile(m_path, found);
    if (found.fd >= 0 && found.info.st_dev == m_device && found.info.st_ino == m_inode &&
        found.pid == ::getpid()) {
        ::unlink(m_path.c_str());
    }
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
