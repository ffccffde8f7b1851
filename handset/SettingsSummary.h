#pragma once
// The text of the current-settings message: port, cable and the three files.

#include <string>

struct CurrentSettings {
    int port = 0;   // port index: 0 is COM1
    int cable = 0;  // CableType
    std::string skinFile;
    std::string bitmapFile;
    std::string phoneBookFile;  // empty when no phone book is loaded
};

// The cable's name as the settings list shows it (UTF-8).
std::string CableName(int cable);

// The message text, lines broken by "\r\n" (UTF-8; the paths are taken as
// they are given).
std::string CurrentSettingsText(const CurrentSettings& settings);
