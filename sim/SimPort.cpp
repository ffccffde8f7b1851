#include "sim/SimPort.h"

#include <fcntl.h>
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
    m_fd = fd;
    m_pty = true;
    m_pcPath = name;
    return true;
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
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_pty = false;
    m_pcPath.clear();
}
