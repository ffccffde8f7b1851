#pragma once
// Where the user's own data lives (the call history, the communication log):
// $XDG_DATA_HOME/telvoxa, or ~/.local/share/telvoxa when the variable is
// unset or not an absolute path; on Windows %LOCALAPPDATA%\Telvoxa (the
// system's local application data folder when the variable is not an
// absolute path). MakePrivateFolder (platform/PrivateFiles.h) makes it.

#include <string>

std::string UserDataFolder();
// `name` inside that folder.
std::string UserDataFile(const std::string& name);
