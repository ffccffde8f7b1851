#include "platform/posix/DeviceLockOwner.h"

#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

std::vector<pid_t> LockTableHolders(const std::string& locks, const struct stat& file) {
    // Lines read "1: FLOCK  ADVISORY  WRITE 1234 00:05:3 0 EOF"; blocked
    // waiters carry "->" and hold nothing.
    std::vector<pid_t> holders;
    std::istringstream lines(locks);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string number, kind, advisory, mode, owner, id;
        if (!(words >> number >> kind)) continue;
        if (kind != "FLOCK") continue;
        if (!(words >> advisory >> mode >> owner >> id)) continue;
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(id.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3) continue;
        if (major != major(file.st_dev) || minor != minor(file.st_dev) || inode != file.st_ino) {
            continue;
        }
        long pid = 0;
        if (std::sscanf(owner.c_str(), "%ld", &pid) == 1 && pid > 0) {
            holders.push_back(static_cast<pid_t>(pid));
        }
    }
    return holders;
}

bool LockTableShowsProcess(const std::string& locks, const struct stat& file, long pid) {
    const std::vector<pid_t> holders = LockTableHolders(locks, file);
    return std::find(holders.begin(), holders.end(), static_cast<pid_t>(pid)) != holders.end();
}

std::vector<pid_t> DeviceLockHolders(const struct stat& file) {
    std::ifstream in("/proc/locks");
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return LockTableHolders(text.str(), file);
}

bool ThisProcessHoldsLock(const struct stat& file) {
    const std::vector<pid_t> holders = DeviceLockHolders(file);
    return std::find(holders.begin(), holders.end(), ::getpid()) != holders.end();
}
