#pragma once
// The profile's entries (app/ProfileKeyTable.h) read and written through Qt's texts.

#include <QString>

#include "app/ProfileKeyTable.h"
#include "app/ui/Profile.h"

inline int ReadProfile(const ProfileIntKey& entry) {
    return Profile::GetProfileInt(QString::fromLatin1(entry.section),
                                  QString::fromLatin1(entry.key), entry.defaultValue);
}
inline QString ReadProfile(const ProfileTextKey& entry) {
    return Profile::GetProfileString(QString::fromLatin1(entry.section),
                                     QString::fromLatin1(entry.key),
                                     QString::fromLatin1(entry.defaultValue));
}
inline bool WriteProfile(const ProfileIntKey& entry, int value) {
    return Profile::WriteProfileInt(QString::fromLatin1(entry.section),
                                    QString::fromLatin1(entry.key), value);
}
inline bool WriteProfile(const ProfileTextKey& entry, const QString& value) {
    return Profile::WriteProfileString(QString::fromLatin1(entry.section),
                                       QString::fromLatin1(entry.key), value);
}
