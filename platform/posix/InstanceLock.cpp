#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

std::string Env(const char* variable) {
    const char* value = std::getenv(variable);
    return value ? value : "";
}

// Closes a descriptor when the scope ends, unless it is handed on.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }
    int Release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// Opens `folder` as a folder of this user, never through a link (-1 and
// `why` when it is not one). The private folder is made when missing and
// kept to its owner alone.
int OpenOwnFolder(const std::string& folder, bool makePrivate, std::string& why) {
    if (makePrivate && mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        why = std::strerror(errno);
        return -1;
    }
    Descriptor fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.Get() < 0) {
        why = errno == ELOOP || errno == ENOTDIR ? "a link or no folder" : std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (fstat(fd.Get(), &info) != 0 || info.st_uid != geteuid()) {
        why = "belongs to another user";
        return -1;
    }
    if (makePrivate && (info.st_mode & 077) != 0 && fchmod(fd.Get(), 0700) != 0) {
        why = std::strerror(errno);
        return -1;
    }
    return fd.Release();
}

}  // namespace

InstanceLock::~InstanceLock() {
    Release();
}

InstanceLock::Outcome InstanceLock::Acquire(const std::string& name) {
    if (IsHeld()) return Outcome::Held;
    m_path.clear();
    m_problem.clear();
    Outcome outcome = Outcome::Unavailable;
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    if (!runtime.empty() && TryFolder(runtime, false, name, outcome)) return outcome;
    std::string temp = Env("TMPDIR");
    if (temp.empty()) temp = "/tmp";
    const std::string own = temp + "/telvoxa-" + std::to_string(geteuid());
    if (TryFolder(own, true, name, outcome)) return outcome;
    return Outcome::Unavailable;
}

bool InstanceLock::TryFolder(const std::string& folder, bool makePrivate, const std::string& name,
                             Outcome& outcome) {
    std::string why;
    const Descriptor dir(OpenOwnFolder(folder, makePrivate, why));
    if (dir.Get() < 0) return NoteProblem(folder, why);
    const std::string file = name + ".lock";
    const std::string path = folder + "/" + file;
    Descriptor fd(openat(dir.Get(), file.c_str(),
                         O_RDWR | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600));
    if (fd.Get() < 0) return NoteProblem(path, std::strerror(errno));
    // A file another user left here could be locked by that user at will.
    struct stat info {};
    if (fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid())
        return NoteProblem(path, "not a file of this user");
    if (flock(fd.Get(), LOCK_EX | LOCK_NB) == 0) {
        m_lock = fd.Release();
        outcome = Outcome::Held;
    } else if (errno == EWOULDBLOCK) {
        outcome = Outcome::HeldElsewhere;
    } else {
        return NoteProblem(path, std::strerror(errno));
    }
    m_path = path;
    return true;
}

std::string InstanceLock::SocketPath() const {
    const std::string suffix = ".lock";
    if (m_path.size() <= suffix.size()) return {};
    return m_path.substr(0, m_path.size() - suffix.size()) + ".socket";
}

bool InstanceLock::NoteProblem(const std::string& where, const std::string& why) {
    if (!m_problem.empty()) m_problem += "; ";
    m_problem += where + ": " + why;
    return false;
}

void InstanceLock::KeepUntilExit() {
    if (IsHeld()) m_keptUntilExit = true;
}

void InstanceLock::Release() {
    if (m_lock == -1 || m_keptUntilExit) return;
    const int fd = static_cast<int>(m_lock);
    flock(fd, LOCK_UN);
    close(fd);
    m_lock = -1;
}
