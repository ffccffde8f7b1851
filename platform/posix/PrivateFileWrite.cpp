#include "platform/PrivateFileWrite.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>

namespace {

constexpr int kMaxLinks = 40;  // as the system's own limit on a path

std::string SystemReason(int error) {
    return error == ELOOP ? "a link, not followed" : std::strerror(error);
}

// Why a file found in place of the user's own is not to be used; empty
// when it is a regular file of this user's with no other name.
std::string ForeignFileProblem(const struct stat& info) {
    if (!S_ISREG(info.st_mode)) return "not a regular file";
    if (info.st_uid != ::geteuid()) return "the file belongs to another user";
    if (info.st_nlink != 1) return "the file has other names (hard links)";
    return {};
}

bool TrustedLinkOwner(uid_t owner) {
    return owner == ::geteuid() || owner == 0;
}

void SplitInto(const std::string& path, std::deque<std::string>& parts, bool atFront) {
    std::deque<std::string> found;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = path.find('/', start);
        const size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > start) found.push_back(path.substr(start, end - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    if (atFront) {
        parts.insert(parts.begin(), found.begin(), found.end());
    } else {
        parts.insert(parts.end(), found.begin(), found.end());
    }
}

std::string Parent(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// The file `path` names, every link on the way followed by hand so that
// each can be checked: a link another user made may lead anywhere. The
// last part may be missing (a new file).
bool ResolveOwnLinks(const std::string& path, std::string& resolved, std::string& reason) {
    std::deque<std::string> rest;
    if (path.empty() || path.front() != '/') {
        char here[PATH_MAX];
        if (::getcwd(here, sizeof here) == nullptr) {
            reason = std::strerror(errno);
            return false;
        }
        SplitInto(here, rest, false);
    }
    SplitInto(path, rest, false);
    std::string current = "/";
    int links = 0;
    // The part named where it is not the file itself.
    const auto at = [&](const std::string& part) {
        return rest.empty() && links == 0 ? std::string() : part + ": ";
    };
    while (!rest.empty()) {
        const std::string part = rest.front();
        rest.pop_front();
        if (part == ".") continue;
        if (part == "..") {
            current = Parent(current);
            continue;
        }
        const std::string next = Join(current, part);
        struct stat info {};
        if (::lstat(next.c_str(), &info) != 0) {
            if (errno == ENOENT && rest.empty()) {
                current = next;
                break;
            }
            reason = at(next) + std::strerror(errno);
            return false;
        }
        if (!S_ISLNK(info.st_mode)) {
            current = next;
            continue;
        }
        if (!TrustedLinkOwner(info.st_uid)) {
            reason = at(next) + "a link of another user";
            return false;
        }
        if (++links > kMaxLinks) {
            reason = at(next) + std::strerror(ELOOP);
            return false;
        }
        char target[PATH_MAX];
        const ssize_t n = ::readlink(next.c_str(), target, sizeof target - 1);
        if (n < 0) {
            reason = at(next) + std::strerror(errno);
            return false;
        }
        const std::string to(target, static_cast<size_t>(n));
        if (!to.empty() && to.front() == '/') current = "/";
        SplitInto(to, rest, true);
    }
    resolved = current;
    return true;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

}  // namespace

std::FILE* OpenPrivateAppend(const std::string& path, std::string& reason) {
    reason.clear();
    constexpr int kFlags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC;
    // A new file first, so that one made by the call is known to be new.
    bool created = true;
    int fd = ::open(path.c_str(), kFlags | O_CREAT | O_EXCL, 0600);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = ::open(path.c_str(), kFlags | O_NONBLOCK);
    }
    if (fd < 0) {
        // A FIFO without a reader refuses a non-blocking writer.
        reason = errno == ENXIO ? "not a regular file" : SystemReason(errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        reason = std::strerror(errno);
    } else if (!created) {
        reason = ForeignFileProblem(info);
    } else if (::fchmod(fd, 0600) != 0) {
        reason = std::strerror(errno);
    }
    const int flags = reason.empty() ? ::fcntl(fd, F_GETFL) : -1;
    if (reason.empty() && (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)) {
        reason = std::strerror(errno);
    }
    std::FILE* file = reason.empty() ? ::fdopen(fd, "ab") : nullptr;
    if (file == nullptr) {
        if (reason.empty()) reason = std::strerror(errno);
        ::close(fd);
    }
    return file;
}

bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string& reason) {
    reason.clear();
    std::string target;
    if (!ResolveOwnLinks(path, target, reason)) return false;
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) == 0) {
        reason = ForeignFileProblem(existing);
        if (!reason.empty()) return false;
    } else if (errno != ENOENT) {
        reason = std::strerror(errno);
        return false;
    }
    const size_t slash = target.find_last_of('/');
    std::string temporary = Parent(target) + "/." + target.substr(slash + 1) + ".XXXXXX";
    // A new name of its own (O_EXCL, 0600): nothing planted there is used.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
              ::fchmod(fd, 0600) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    if (!ok) reason = std::strerror(errno != 0 ? errno : EIO);
    if (::close(fd) != 0 && ok) {
        reason = std::strerror(errno);
        ok = false;
    }
    // The rename replaces whatever is at the name now, a link included,
    // never what a link leads to.
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        reason = std::strerror(errno);
        ok = false;
    }
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}
