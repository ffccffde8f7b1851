#pragma once
// A fresh, empty profile for each test (the folder itself is the temporary
// XDG_CONFIG_HOME that GuiTestMain sets up).

#include <QSettings>

#include "common/ui/Profile.h"
#include "common/ui/UiSeams.h"

inline void ResetProfile() {
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           QStringLiteral("Orvel Applications"), UiSeams::ApplicationName());
        settings.clear();
        settings.sync();
    }
    Profile::SetRegistryKey(QStringLiteral("Orvel Applications"));
}

// True when the profile holds `section`/`key` at all.
inline bool ProfileHas(const QString& section, const QString& key) {
    return Profile::GetProfileString(section, key, QStringLiteral("\x01absent")) !=
           QStringLiteral("\x01absent");
}
