#pragma once
// Tells whether a device's flock() is held by this very process, so that the
// port the program itself has open is not reported as taken by another one.

#include <sys/stat.h>

#include <string>

// `locks` is the text of /proc/locks; `file` the stat of the locked file.
bool LockTableShowsProcess(const std::string& locks, const struct stat& file, long pid);
// Reads /proc/locks; false when it cannot be read.
bool ThisProcessHoldsLock(const struct stat& file);
