#include "common/ui/LinkProfile.h"

#include "common/ui/AddedTexts.h"
#include "common/ui/ProfileKeys.h"

namespace {

// The stored value when it is within [low, high], else the default and a line
// saying so; `shown` gives a value as the dialog names it.
template <typename Shown>
int Checked(const ProfileIntKey& key, int low, int high, Shown shown, QStringList& problems) {
    const int stored = ReadProfile(key);
    if (stored >= low && stored <= high) return stored;
    problems << AddedText(QT_TRANSLATE_NOOP("Telvoxa",
                                            "The profile's %1=%2 is outside %3 to %4: %5 is used."))
                    .arg(QString::fromLatin1(key.key))
                    .arg(stored)
                    .arg(shown(low), shown(high), shown(key.defaultValue));
    return key.defaultValue;
}

}  // namespace

LinkProfile ReadLinkProfile() {
    LinkProfile profile;
    const auto port = [](int index) { return QStringLiteral("COM%1").arg(index + 1); };
    const auto number = [](int value) { return QString::number(value); };
    const auto milliseconds = [](int value) { return QStringLiteral("%1 ms").arg(value); };
    profile.port = Checked(ProfileKeys::Port, 0, kProfilePortCount - 1, port, profile.problems);
    profile.cable =
        Checked(ProfileKeys::Cable, 0, kProfileCableCount - 1, number, profile.problems);
    profile.interval = Checked(ProfileKeys::MonitorInterval, kMonitorIntervalMin,
                               kMonitorIntervalMax, milliseconds, profile.problems);
    return profile;
}
