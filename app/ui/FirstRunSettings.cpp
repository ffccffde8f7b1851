#include "app/ui/FirstRunSettings.h"

#include "common/ui/AddedTexts.h"

#include <QFile>
#include <QFileInfo>

#include "common/ui/DeviceCheckTexts.h"
#include "common/ui/Profile.h"
#include "common/ui/ProfilePorts.h"
#include "common/ui/SettingsDlg.h"
#include "common/ui/UiSeams.h"
#include "platform/DeviceCheck.h"
#include "platform/posix/SerialDeviceCheck.h"

namespace {

// Told without reading the file (a FIFO there would never answer).
bool ProfileExists() {
    return QFileInfo::exists(Profile::UserFile(QString::fromLatin1(PROFILE_ROOT)));
}

// Why COM1 does not open, or "" when it does. The program's own serial
// device is checked without opening it; a device made by `factory` can only
// be tried.
QString WhyCom1DoesNotOpen(const CommDeviceFactory& factory) {
    if (!factory) {
        const std::string path = ProfilePortPath("COM1");
        const DeviceCheck check = CheckSerialDevice(path);
        if (check.state == DeviceState::Ready) return {};
        return QFile::decodeName(QByteArray::fromStdString(path)) + QStringLiteral(": ") +
               DeviceCheckText(check);
    }
    const std::unique_ptr<CommDevice> device = factory();
    if (device->Open("COM1")) {
        device->Close();
        return {};
    }
    const std::string why = device->OpenFailureText();
    if (why.empty()) {
        return QStringLiteral("COM1: ") + DeviceCheckText(DescribeState(DeviceState::Failed));
    }
    return QString::fromStdString(why);
}

}  // namespace

QString FirstRunHint(const QString& why) {
    return AddedText(QT_TRANSLATE_NOOP(
                         "Telvoxa",
                         "No phone on COM1 (%1). Plug in the phone's cable and choose its device "
                         "below, or start the simulated phone with \"telvoxa-phone --link "
                         "~/phone-link\" and type ~/phone-link."))
        .arg(why);
}

bool OfferSettingsOnFirstRun(QWidget* parent, const CommDeviceFactory& factory) {
    if (ProfileExists()) return true;
    const QString why = WhyCom1DoesNotOpen(factory);
    if (why.isEmpty()) return true;
    CSettingsDlg dialog(parent, true);
    dialog.SetHint(FirstRunHint(why));
    return dialog.exec() != CSettingsDlg::IDQUIT;
}
