#include "support/PhonePty.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PhonePty::PhonePty() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) return;
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        close(master);
        return;
    }
    char name[128];
    if (ptsname_r(master, name, sizeof name) != 0) {
        close(master);
        return;
    }
    // Bytes pass unchanged in both directions.
    termios raw{};
    if (tcgetattr(master, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(master, TCSANOW, &raw);
    }
    m_slaveKeeper = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slaveKeeper >= 0 && tcgetattr(m_slaveKeeper, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(m_slaveKeeper, TCSANOW, &raw);
    }
    m_master = master;
    m_slavePath = name;
}

PhonePty::~PhonePty() {
    if (m_slaveKeeper >= 0) close(m_slaveKeeper);
    if (m_master >= 0) close(m_master);
}

bool PhonePty::Send(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return false;
        done += size_t(n);
    }
    // Let the line discipline hand them over before the program reads.
    tcdrain(m_master);
    return true;
}

std::vector<uint8_t> PhonePty::Received(int timeoutMs) {
    std::vector<uint8_t> out;
    pollfd p{m_master, POLLIN, 0};
    int wait = timeoutMs;
    while (poll(&p, 1, wait) > 0 && (p.revents & POLLIN)) {
        uint8_t buffer[256];
        const ssize_t n = read(m_master, buffer, sizeof buffer);
        if (n <= 0) break;
        out.insert(out.end(), buffer, buffer + n);
        wait = 20;
    }
    return out;
}
