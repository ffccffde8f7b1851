#pragma once
// What the system tells of the desktop a window of this process would show on.

#include <string>

// True where every process is given a desktop (Windows); elsewhere the
// environment names the display server, if any.
bool SystemGivesDesktop();
// Whether `path` is a local socket, as a display server listens on.
bool IsLocalSocket(const std::string& path);
