#pragma once
// Who holds a device's flock(), read from the kernel's lock table without
// opening the device, so that the port the program itself has open is not
// reported as taken by another one.

#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <vector>

// `locks` is the text of /proc/locks; `file` the stat of the locked file.
// The processes holding a flock() on the file (waiters hold nothing).
std::vector<pid_t> LockTableHolders(const std::string& locks, const struct stat& file);
bool LockTableShowsProcess(const std::string& locks, const struct stat& file, long pid);
// The holders in /proc/locks; none when it cannot be read.
std::vector<pid_t> DeviceLockHolders(const struct stat& file);
bool ThisProcessHoldsLock(const struct stat& file);
