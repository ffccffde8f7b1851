#pragma once
// The per-user profile: sections and keys under "Orvel Applications" and the
// application name, stored through QSettings (an INI file on Linux).

#include <QString>

namespace Profile {
// Roots the profile; until then reads give defaults and writes are dropped.
void SetRegistryKey(const QString& company);
bool IsRooted();
// The user's profile file for `company`, whether or not it is there, found
// without reading it.
QString UserFile(const QString& company);
int GetProfileInt(const QString& section, const QString& key, int defaultValue);
bool WriteProfileInt(const QString& section, const QString& key, int value);
QString GetProfileString(const QString& section, const QString& key, const QString& defaultValue);
bool WriteProfileString(const QString& section, const QString& key, const QString& value);
// Removes the entry, so that reads give the default again.
void RemoveProfileEntry(const QString& section, const QString& key);
// Flushes pending writes to disk; false, after one message box
// "設定を保存できませんでした" with the reason, when they could not be written.
bool Sync();
}  // namespace Profile
