#include "common/ui/PhoneBookTexts.h"

#include <QFileInfo>

#include "common/ui/AddedTexts.h"

QString LoadPhoneBookCommandName() {
    return QStringLiteral("電話帳ファイル変更(R)");
}

QString EmptyPhoneBookText() {
    return AddedText(QT_TRANSLATE_NOOP("Telvoxa",
                                       "No phone book is loaded. Load one with %1 in the menu "
                                       "(right click on the handset): memory dial (.mdd), vCard "
                                       "(.vcf) and CSV (.csv) files are read."))
        .arg(LoadPhoneBookCommandName());
}

QString LoadPhoneBookTip() {
    return AddedText(QT_TRANSLATE_NOOP(
        "Telvoxa",
        "Load another phone book: a memory dial (.mdd), vCard (.vcf) or CSV (.csv) file"));
}

QString PhoneBookLoadedText(int entries, const QString& file, const QString& stoppedAt) {
    const QString name = QFileInfo(file).fileName();
    if (stoppedAt.isEmpty()) {
        return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Entries read from %2: %1."))
            .arg(entries)
            .arg(name);
    }
    return AddedText(
               QT_TRANSLATE_NOOP("Telvoxa", "Entries read from %2: only %1; reading stopped at %3"))
        .arg(entries)
        .arg(name, stoppedAt);
}

QString PhoneBookLimitText(int limit) {
    return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "entry %1, the most the handset keeps"))
        .arg(limit);
}
