#include "platform/ReadableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

ReadableFile Refused(int fd, std::string reason) {
    if (fd >= 0) ::close(fd);
    ReadableFile refused;
    refused.reason = std::move(reason);
    return refused;
}

}  // namespace

ReadableFile OpenReadableFile(const std::string& path, std::uint64_t maxSize) {
    // O_NONBLOCK: a FIFO opens at once instead of waiting for a writer, and
    // a device never waits for its carrier; the check below turns both away.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return Refused(-1, std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0) return Refused(fd, std::strerror(errno));
    if (!S_ISREG(info.st_mode)) return Refused(fd, "not a regular file");
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (maxSize != 0 && size > maxSize) {
        return Refused(fd, "larger than " + std::to_string(maxSize) + " bytes");
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return Refused(fd, std::strerror(errno));
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) return Refused(fd, std::strerror(errno));
    ReadableFile opened;
    opened.file = file;
    opened.size = size;
    return opened;
}
