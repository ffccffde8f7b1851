#include "sim/SimPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

std::string Why(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Raw mode, so that no byte is echoed, translated or held back. On a
// pseudo-terminal's master this sets the slave side, which the PC changes
// again when it opens the port.
bool MakeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    // With O_NONBLOCK an empty line then reads as EAGAIN, not as 0 bytes,
    // which would look like a hang-up.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace

SimPort::~SimPort() {
    Close();
}

bool SimPort::OpenPseudoTerminal(std::string& error) {
    Close();
    int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = Why("posix_openpt");
        return false;
    }
    char name[128];
    if (grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname_r(fd, name, sizeof name) != 0) {
        error = Why("pseudo-terminal set-up");
        ::close(fd);
        return false;
    }
    if (!MakeRaw(fd)) {
        error = Why("tcsetattr");
        ::close(fd);
        return false;
    }
    // Opened before any watch is set, so that only the PC's opens count.
    m_slaveFd = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_slaveFd >= 0) {
        m_watchFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_watchFd >= 0 &&
            inotify_add_watch(m_watchFd, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
            ::close(m_watchFd);
            m_watchFd = -1;
        }
        // Without a watch the master's hang-up tells of the PC, which needs
        // the slave side closed.
        if (m_watchFd < 0) {
            ::close(m_slaveFd);
            m_slaveFd = -1;
        }
    }
    m_pcOpens = 0;
    m_fd = fd;
    m_pty = true;
    m_pcPath = name;
    return true;
}

std::vector<bool> SimPort::ReadPcChanges() {
    std::vector<bool> changes;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_watchFd, buffer, sizeof buffer);
        if (n <= 0) break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->mask & IN_OPEN) {
                if (++m_pcOpens == 1) changes.push_back(true);
            } else if (event->mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
                if (m_pcOpens > 0 && --m_pcOpens == 0) changes.push_back(false);
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return changes;
}

void SimPort::ReleasePcSide() {
    if (m_slaveFd < 0) return;
    ioctl(m_slaveFd, TIOCNXCL);
    tcflush(m_slaveFd, TCIFLUSH);
}

int SimPort::UnreadByPc() const {
    if (m_slaveFd < 0) return -1;
    // A poll first hands the bytes on their way to the PC's queue, so that
    // the count holds them.
    pollfd fd = {m_slaveFd, POLLIN, 0};
    ::poll(&fd, 1, 0);
    int count = 0;
    return ioctl(m_slaveFd, FIONREAD, &count) == 0 ? count : -1;
}

bool SimPort::OpenDevice(const std::string& path, std::string& error) {
    Close();
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = Why(path.c_str());
        return false;
    }
    // Not every device is a terminal (a FIFO pair in a test, say): raw mode
    // applies where there is a line discipline.
    if (isatty(fd)) MakeRaw(fd);
    m_fd = fd;
    m_pty = false;
    m_pcPath = path;
    return true;
}

void SimPort::Close() {
    for (int* fd : {&m_watchFd, &m_slaveFd, &m_fd}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    m_pcOpens = 0;
    m_pty = false;
    m_pcPath.clear();
}
