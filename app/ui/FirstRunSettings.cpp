#include "app/ui/FirstRunSettings.h"

#include <QFileInfo>
#include <QSettings>

#include "app/ui/HandsetApp.h"
#include "app/ui/ProfilePorts.h"
#include "app/ui/SettingsDlg.h"
#include "app/ui/UiSeams.h"
#include "platform/posix/SerialDeviceCheck.h"

namespace {

bool ProfileExists() {
    const QSettings profile(QSettings::NativeFormat, QSettings::UserScope,
                            QString::fromLatin1(PROFILE_ROOT), UiSeams::ApplicationName());
    return QFileInfo::exists(profile.fileName());
}

}  // namespace

QString FirstRunHint(const std::string& why) {
    return QStringLiteral(
               "No phone on COM1 (%1). Plug in the phone's cable and choose its device below, "
               "or start the simulated phone with \"telvoxa-phone --link ~/phone-link\" and "
               "type ~/phone-link.")
        .arg(QString::fromStdString(why));
}

bool OfferSettingsOnFirstRun(QWidget* parent, const DeviceChecker& check) {
    if (ProfileExists()) return true;
    const std::string device = ProfilePortPath("COM1");
    const DeviceCheck found = check ? check(device) : CheckSerialDevice(device);
    if (found.state == DeviceState::Ready) return true;
    CSettingsDlg dialog(parent, true);
    if (check) dialog.m_checkDevice = check;
    dialog.SetHint(FirstRunHint(device + ": " + found.text));
    return dialog.exec() != CSettingsDlg::IDQUIT;
}
