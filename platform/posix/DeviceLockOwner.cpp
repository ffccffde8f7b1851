#include "platform/posix/DeviceLockOwner.h"

#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

bool LockTableShowsProcess(const std::string& locks, const struct stat& file, long pid) {
    // Lines read "1: FLOCK  ADVISORY  WRITE 1234 00:05:3 0 EOF"; blocked
    // waiters carry "->" and hold nothing.
    std::istringstream lines(locks);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string number, kind, advisory, mode, owner, id;
        if (!(words >> number >> kind)) continue;
        if (kind == "->" || kind != "FLOCK") continue;
        if (!(words >> advisory >> mode >> owner >> id)) continue;
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(id.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3) continue;
        if (owner == std::to_string(pid) && major == major(file.st_dev) &&
            minor == minor(file.st_dev) && inode == file.st_ino) {
            return true;
        }
    }
    return false;
}

bool ThisProcessHoldsLock(const struct stat& file) {
    std::ifstream in("/proc/locks");
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    return LockTableShowsProcess(text.str(), file, static_cast<long>(getpid()));
}
