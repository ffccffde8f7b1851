#include "common/ui/ProfilePorts.h"

#include <QFile>

#include "common/ui/Profile.h"
#include "common/ui/ProfileKeys.h"
#include "link/PhoneLink.h"
#include "platform/posix/PosixCommDevice.h"

std::string ProfilePortPath(const std::string& portName) {
    const QString path = Profile::GetProfileString(QString::fromLatin1(ProfileKeys::PortsSection),
                                                   QString::fromStdString(portName), QString())
                             .trimmed();
    if (path.isEmpty()) return PosixCommDevice::DefaultPortPath(portName);
    return QFile::encodeName(path).toStdString();
}

void StoreProfilePortPath(const std::string& portName, const std::string& path) {
    const QString section = QString::fromLatin1(ProfileKeys::PortsSection);
    const QString key = QString::fromStdString(portName);
    if (path.empty() || path == PosixCommDevice::DefaultPortPath(portName)) {
        Profile::RemoveProfileEntry(section, key);
    } else {
        Profile::WriteProfileString(section, key,
                                    QFile::decodeName(QByteArray::fromStdString(path)));
    }
}

PortPaths ProfilePortPaths() {
    PortPaths paths;
    for (const char* name : PortNameTable) paths[name] = ProfilePortPath(name);
    return paths;
}

std::unique_ptr<CommDevice> MakeProfileCommDevice(std::shared_ptr<const PortPaths> paths) {
    return std::make_unique<PosixCommDevice>([paths](const std::string& portName) {
        if (paths) {
            const auto found = paths->find(portName);
            if (found != paths->end()) return found->second;
        }
        return PosixCommDevice::DefaultPortPath(portName);
    });
}
