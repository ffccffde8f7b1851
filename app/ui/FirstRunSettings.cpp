#include "app/ui/FirstRunSettings.h"

#include <QFileInfo>
#include <QSettings>

#include "app/ui/ProfilePorts.h"
#include "app/ui/SettingsDlg.h"
#include "app/ui/UiSeams.h"

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

bool OfferSettingsOnFirstRun(QWidget* parent, const CommDeviceFactory& factory) {
    if (ProfileExists()) return true;
    const std::unique_ptr<CommDevice> device = factory ? factory() : MakeProfileCommDevice();
    if (device->Open("COM1")) {
        device->Close();
        return true;
    }
    std::string why = device->OpenFailureText();
    if (why.empty()) why = "COM1: " + DescribeState(DeviceState::Failed).text;
    CSettingsDlg dialog(parent, true);
    dialog.SetHint(FirstRunHint(why));
    return dialog.exec() != CSettingsDlg::IDQUIT;
}
