#include "common/ui/DesktopAbilities.h"

#include <QGuiApplication>
#include <cstring>

namespace {

std::optional<DesktopAbilities>& Override() {
    static std::optional<DesktopAbilities> abilities;
    return abilities;
}

}  // namespace

DesktopAbilities DesktopAbilitiesOf(const char* platformName) {
    // Every Wayland plugin of Qt is named "wayland" or "wayland-<shell>".
    if (platformName && std::strncmp(platformName, "wayland", 7) == 0)
        return DesktopAbilities{false, false};
    return DesktopAbilities{};
}

DesktopAbilities CurrentDesktop() {
    if (Override()) return *Override();
    return DesktopAbilitiesOf(QGuiApplication::platformName().toUtf8().constData());
}

void OverrideDesktopForTests(std::optional<DesktopAbilities> abilities) {
    Override() = abilities;
}
