#include "platform/PrivateFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr mode_t kOwnerOnlyFolder = 0700;
constexpr mode_t kOwnerOnlyFile = 0600;

std::string ErrnoText(int error) {
    return std::strerror(error);
}

// Takes away every permission of the group and of others, and adds none:
// what the owner chose for itself is the owner's business.
bool NarrowOpenFile(int fd, const struct stat& st, mode_t most) {
    const mode_t narrowed = st.st_mode & most;
    return (st.st_mode & 07777) == narrowed || ::fchmod(fd, narrowed) == 0;
}

// Each missing folder on the way is made 0700 whatever the umask.
void MakeParents(const fs::path& folder) {
    if (folder.empty() || fs::path(folder).root_path() == folder) return;
    std::error_code error;
    if (fs::exists(fs::symlink_status(folder, error))) return;
    MakeParents(folder.parent_path());
    ::mkdir(folder.c_str(), kOwnerOnlyFolder);
}

}  // namespace

std::string MakePrivateFolder(const std::string& folder) {
    const fs::path path(folder);
    if (path.has_parent_path()) MakeParents(path.parent_path());
    if (::mkdir(folder.c_str(), kOwnerOnlyFolder) != 0 && errno != EEXIST) return ErrnoText(errno);

    struct stat link {};
    if (::lstat(folder.c_str(), &link) != 0) return ErrnoText(errno);
    if (S_ISLNK(link.st_mode) && link.st_uid != ::geteuid())
        return "the folder is a link owned by another user";
    // The folder itself, opened without following a link any further.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return ErrnoText(errno);
    struct stat st {};
    std::string problem;
    if (::fstat(fd, &st) != 0)
        problem = ErrnoText(errno);
    else if (st.st_uid != ::geteuid())
        problem = "the folder belongs to another user";
    else if (!NarrowOpenFile(fd, st, kOwnerOnlyFolder))
        problem = ErrnoText(errno);
    ::close(fd);
    return problem;
}

std::string MakePrivateFile(const std::string& path, bool& created) {
    created = false;
    // Read-only is enough to judge and narrow it; a file its owner made
    // read-only is still found, and SQLite does the writing.
    int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == ENOENT) {
        // Exclusive, so that a file someone slips in meanwhile is not taken.
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    kOwnerOnlyFile);
        created = fd >= 0;
    }
    if (fd < 0) return errno == ELOOP ? "the file is a link" : ErrnoText(errno);
    struct stat st {};
    std::string problem;
    if (::fstat(fd, &st) != 0)
        problem = ErrnoText(errno);
    else if (!S_ISREG(st.st_mode))
        problem = "not a regular file";
    else if (st.st_uid != ::geteuid())
        problem = "the file belongs to another user";
    else if (!NarrowOpenFile(fd, st, kOwnerOnlyFile))
        problem = ErrnoText(errno);
    ::close(fd);
    return problem;
}

void NarrowToOwner(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
        NarrowOpenFile(fd, st, kOwnerOnlyFile);
    ::close(fd);
}

std::string ReadOnlyReason(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    // Also for a user the system lets write anyway: the owner's own choice.
    if ((st.st_mode & S_IWUSR) == 0)
        return S_ISDIR(st.st_mode) ? "the folder is read-only" : "the file is read-only";
    struct statvfs fs {};
    if (::statvfs(path.c_str(), &fs) == 0 && (fs.f_flag & ST_RDONLY))
        return "the file system is read-only";
    return {};
}

std::optional<std::uint64_t> FreeBytes(const std::string& path) {
    struct statvfs fs {};
    if (::statvfs(path.c_str(), &fs) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
}
