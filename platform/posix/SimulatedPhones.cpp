#include "platform/posix/SimulatedPhones.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

constexpr std::string_view kPrefix = "telvoxa-phone-";
constexpr std::string_view kSuffix = ".link";
// A pid line and a path: anything longer is not an announcement.
constexpr size_t kLongestFile = 4096;
// No more files than this are looked at.
constexpr int kMostFiles = 64;

bool ParsePid(std::string_view text, pid_t& pid) {
    if (text.empty() || text.size() > 10) return false;
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value <= 0 || value > 0x7fffffff) return false;
    pid = static_cast<pid_t>(value);
    return true;
}

bool Alive(pid_t pid) {
    return ::kill(pid, 0) == 0;
}

// The announcement in `dirFd` named `name`, if it is one.
bool ReadAnnouncement(int dirFd, const char* name, SimulatedPhone& phone) {
    std::string_view entry(name);
    if (!entry.starts_with(kPrefix) || !entry.ends_with(kSuffix)) return false;
    pid_t named = 0;
    if (!ParsePid(entry.substr(kPrefix.size(), entry.size() - kPrefix.size() - kSuffix.size()),
                  named))
        return false;
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    std::string text;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid() &&
        info.st_size > 0 && static_cast<size_t>(info.st_size) <= kLongestFile) {
        text.resize(kLongestFile + 1);
        const ssize_t n = ::read(fd, text.data(), text.size());
        text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    }
    ::close(fd);
    if (text.empty() || text.size() > kLongestFile || text.back() != '\n') return false;
    const size_t lineEnd = text.find('\n');
    pid_t pid = 0;
    if (!ParsePid(std::string_view(text).substr(0, lineEnd), pid) || pid != named) return false;
    std::string link = text.substr(lineEnd + 1, text.size() - lineEnd - 2);
    if (link.empty() || link.front() != '/' || link.find('\n') != std::string::npos ||
        link.find('\0') != std::string::npos)
        return false;
    if (!Alive(pid)) return false;
    phone = {pid, std::move(link)};
    return true;
}

}  // namespace

std::string RuntimeFolder() {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    return dir && dir[0] == '/' ? std::string(dir) : std::string();
}

std::string SimulatedPhoneFile(const std::string& runtimeDir, pid_t pid) {
    return runtimeDir + "/" + std::string(kPrefix) + std::to_string(pid) + std::string(kSuffix);
}

bool AnnounceSimulatedPhone(const std::string& runtimeDir, const std::string& link,
                            std::string& error) {
    const std::string path = SimulatedPhoneFile(runtimeDir, ::getpid());
    const std::string temporary = path + ".new";
    ::unlink(temporary.c_str());
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = temporary + ": " + std::strerror(errno);
        return false;
    }
    const std::string text = std::to_string(::getpid()) + "\n" + link + "\n";
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

void WithdrawSimulatedPhone(const std::string& runtimeDir) {
    ::unlink(SimulatedPhoneFile(runtimeDir, ::getpid()).c_str());
}

std::vector<SimulatedPhone> ListSimulatedPhones(const std::string& runtimeDir) {
    std::vector<SimulatedPhone> phones;
    if (runtimeDir.empty()) return phones;
    const int dirFd = ::open(runtimeDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return phones;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return phones;
    }
    int looked = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!std::string_view(entry->d_name).starts_with(kPrefix)) continue;
        if (++looked > kMostFiles) break;
        SimulatedPhone phone;
        if (ReadAnnouncement(::dirfd(dir), entry->d_name, phone)) phones.push_back(phone);
    }
    ::closedir(dir);
    return phones;
}
