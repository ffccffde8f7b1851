#include "app/ui/Profile.h"

#include <QSettings>
#include <memory>

#include "app/ui/UiSeams.h"

namespace {
std::unique_ptr<QSettings>& Store() {
    static std::unique_ptr<QSettings> settings;
    return settings;
}

QString Path(const QString& section, const QString& key) {
    return section + "/" + key;
}
}  // namespace

namespace Profile {

void SetRegistryKey(const QString& company) {
    Store() = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, company,
                                          UiSeams::ApplicationName());
}

bool IsRooted() {
    return Store() != nullptr;
}

int GetProfileInt(const QString& section, const QString& key, int defaultValue) {
    if (!Store()) return defaultValue;
    bool ok = false;
    const int value = Store()->value(Path(section, key)).toInt(&ok);
    return ok ? value : defaultValue;
}

bool WriteProfileInt(const QString& section, const QString& key, int value) {
    if (!Store()) return false;
    Store()->setValue(Path(section, key), value);
    return true;
}

QString GetProfileString(const QString& section, const QString& key, const QString& defaultValue) {
    if (!Store()) return defaultValue;
    const QVariant value = Store()->value(Path(section, key));
    return value.isValid() ? value.toString() : defaultValue;
}

bool WriteProfileString(const QString& section, const QString& key, const QString& value) {
    if (!Store()) return false;
    Store()->setValue(Path(section, key), value);
    return true;
}

void RemoveProfileEntry(const QString& section, const QString& key) {
    if (Store()) Store()->remove(Path(section, key));
}

void Sync() {
    if (Store()) Store()->sync();
}

}  // namespace Profile
