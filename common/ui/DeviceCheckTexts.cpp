#include "common/ui/DeviceCheckTexts.h"

#include "common/ui/AddedTexts.h"

namespace {

QString Words(const std::string& text) {
    return QString::fromStdString(text);
}

QString BusyText(const LockFileHolding& holding) {
    const QString lockFile = Words(holding.lockFile);
    switch (holding.oddity) {
        case LockFileOddity::Link:
            return AddedText(
                       QT_TRANSLATE_NOOP("Telvoxa", "In use by another program (%1 is a link)"))
                .arg(lockFile);
        case LockFileOddity::NotRegularFile:
            return AddedText(QT_TRANSLATE_NOOP(
                                 "Telvoxa", "In use by another program (%1 is not a regular file)"))
                .arg(lockFile);
        case LockFileOddity::BeingReplaced:
            return AddedText(
                       QT_TRANSLATE_NOOP(
                           "Telvoxa",
                           "In use by another program (%1 is being replaced by another program)"))
                .arg(lockFile);
        case LockFileOddity::None:
            break;
    }
    if (holding.process > 0) {
        return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "In use by another program (process %1)"))
            .arg(holding.process);
    }
    return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "In use by another program"));
}

QString NoPermissionText(const DeviceCheck& check) {
    if (check.owner.empty()) return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Permission denied"));
    QString text;
    switch (check.advice) {
        case PermissionAdvice::LogInAgain:
            text =
                AddedText(QT_TRANSLATE_NOOP("Telvoxa",
                                            "Permission denied: your user is in the %1 group, but "
                                            "this login is not yet: log in again (%2:%3 %4)"))
                    .arg(Words(check.adviceGroup));
            break;
        case PermissionAdvice::JoinDialout:
            text = AddedText(QT_TRANSLATE_NOOP(
                "Telvoxa", "Permission denied: add your user to the dialout group (%1:%2 %3)"));
            break;
        case PermissionAdvice::None:
            text = AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Permission denied (%1:%2 %3)"));
            break;
    }
    return text.arg(Words(check.owner), Words(check.group), Words(check.mode));
}

}  // namespace

QString DeviceCheckText(const DeviceCheck& check) {
    switch (check.state) {
        case DeviceState::Ready:
            return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Ready"));
        case DeviceState::Missing:
            return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "No such device"));
        case DeviceState::NoPermission:
            return NoPermissionText(check);
        case DeviceState::Busy:
            return BusyText(check.holding);
        case DeviceState::NotSerial:
            return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Not a serial device"));
        case DeviceState::Failed:
            break;
    }
    // The system's own words, which come in the session's language.
    if (check.error != 0) return QString::fromLocal8Bit(check.text.c_str());
    return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Unknown error"));
}
