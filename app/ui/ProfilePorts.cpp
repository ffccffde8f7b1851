#include "app/ui/ProfilePorts.h"

#include <QFile>

#include "app/ui/Profile.h"
#include "platform/posix/PosixCommDevice.h"

std::string ProfilePortPath(const std::string& portName) {
    const QString path =
        Profile::GetProfileString("ports", QString::fromStdString(portName), QString()).trimmed();
    if (path.isEmpty()) return PosixCommDevice::DefaultPortPath(portName);
    return QFile::encodeName(path).toStdString();
}

std::unique_ptr<CommDevice> MakeProfileCommDevice() {
    return std::make_unique<PosixCommDevice>(&ProfilePortPath);
}
