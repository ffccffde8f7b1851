#pragma once
// Every entry of the profile: section, key, type and default in one place,
// for every front end.

#include <string>

#include "platform/ProfileStore.h"

struct ProfileIntKey {
    const char* section;
    const char* key;
    int defaultValue;
};

struct ProfileTextKey {
    const char* section;
    const char* key;
    const char* defaultValue;
};

namespace ProfileKeys {
// The skin settings file and the phone book file.
inline constexpr ProfileTextKey SkinFile{"ini", "inifile", "default.ini"};
inline constexpr ProfileTextKey PhoneBookFile{"ini", "mdd", ""};
// The phone link and the monitoring timer.
inline constexpr ProfileIntKey Port{"connection", "port", 0};
inline constexpr ProfileIntKey Cable{"connection", "cable", 0};
inline constexpr ProfileIntKey MonitorInterval{"connection", "mon_interval", 250};
inline constexpr ProfileIntKey NumDisp{"phone", "numdisp", 0};
// Column widths of the phone book list, columns 0 to 3.
inline constexpr const char* ListColumnSection = "dialog";
inline constexpr const char* ListColumnKeyFormat = "listcolumn_w%d";
inline constexpr int ListColumnDefaults[4] = {80, 80, 40, 60};
// Where the control pad was last placed.
inline constexpr ProfileIntKey PadX{"pad", "pos_x", 0};
inline constexpr ProfileIntKey PadY{"pad", "pos_y", 0};
// Device paths for the port names "COM1".."COM9" (key = port name).
inline constexpr const char* PortsSection = "ports";
}  // namespace ProfileKeys

inline int ReadProfile(const ProfileStore& store, const ProfileIntKey& entry) {
    return store.ReadInt(entry.section, entry.key, entry.defaultValue);
}
inline std::string ReadProfile(const ProfileStore& store, const ProfileTextKey& entry) {
    return store.ReadString(entry.section, entry.key, entry.defaultValue);
}
inline bool WriteProfile(ProfileStore& store, const ProfileIntKey& entry, int value) {
    return store.WriteInt(entry.section, entry.key, value);
}
inline bool WriteProfile(ProfileStore& store, const ProfileTextKey& entry,
                         const std::string& value) {
    return store.WriteString(entry.section, entry.key, value);
}
