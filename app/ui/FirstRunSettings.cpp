#include "app/ui/FirstRunSettings.h"

#include "common/ui/AddedTexts.h"

#include <QFileInfo>

#include "common/ui/Profile.h"
#include "common/ui/ProfilePorts.h"
#include "common/ui/SettingsDlg.h"
#include "common/ui/UiSeams.h"
#include "platform/posix/SerialDeviceCheck.h"

namespace {

// Told without reading the file (a FIFO there would never answer).
bool ProfileExists() {
    return QFileInfo::exists(Profile::UserFile(QString::fromLatin1(PROFILE_ROOT)));
}

// Why COM1 does not open, or "" when it does. The program's own serial
// device is checked without opening it; a device made by `factory` can only
// be tried.
std::string WhyCom1DoesNotOpen(const CommDeviceFactory& factory) {
    if (!factory) {
        const std::string path = ProfilePortPath("COM1");
        const DeviceCheck check = CheckSerialDevice(path);
        return check.state == DeviceState::Ready ? std::string() : path + ": " + check.text;
    }
    const std::unique_ptr<CommDevice> device = factory();
    if (device->Open("COM1")) {
        device->Close();
        return {};
    }
    const std::string why = device->OpenFailureText();
    return why.empty() ? "COM1: " + DescribeState(DeviceState::Failed).text : why;
}

}  // namespace

QString FirstRunHint(const std::string& why) {
    return AddedText(QT_TRANSLATE_NOOP(
                         "Telvoxa",
                         "No phone on COM1 (%1). Plug in the phone's cable and choose its device "
                         "below, or start the simulated phone with \"telvoxa-phone --link "
                         "~/phone-link\" and type ~/phone-link."))
        .arg(QString::fromStdString(why));
}

bool OfferSettingsOnFirstRun(QWidget* parent, const CommDeviceFactory& factory) {
    if (ProfileExists()) return true;
    const std::string why = WhyCom1DoesNotOpen(factory);
    if (why.empty()) return true;
    CSettingsDlg dialog(parent, true);
    dialog.SetHint(FirstRunHint(why));
    return dialog.exec() != CSettingsDlg::IDQUIT;
}
