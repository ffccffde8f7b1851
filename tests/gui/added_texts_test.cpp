// The texts the program adds to the handset's own: each has its Japanese
// translation, which a Japanese session gets; the handset's own texts stay
// as they are in it.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QTranslator>
#include <QXmlStreamReader>
#include <functional>

#include "app/ui/ApplicationStart.h"
#include "common/ui/AddedTexts.h"
#include "common/ui/DeviceCheckTexts.h"
#include "common/ui/PhoneBookTexts.h"
#include "history/CallHistoryNotice.h"
#include "common/UserLanguage.h"
#include "phonebook/PhoneBook.h"
#include "support/FakeAccounts.h"
#include "support/ScratchDir.h"

namespace {

const QString kSourceRoot = QStringLiteral(TELVOXA_TEST_DATA "/../../..");

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Every text written as AddedText(QT_TRANSLATE_NOOP("Telvoxa", ...)) (or
// InUserLanguage in the core) in the program's sources, with the file it is
// in; and the calls that do not list their text so.
struct SourceTexts {
    QMap<QString, QString> texts;
    QStringList unlisted;
};

SourceTexts ScanSources() {
    static const QRegularExpression listed(
        QStringLiteral(R"re(QT_TRANSLATE_NOOP\(\s*"Telvoxa",\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\))re"));
    static const QRegularExpression piece(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    static const QRegularExpression call(
        QStringLiteral(R"re(\b(?:AddedText|InUserLanguage)\((?!\s*QT_TRANSLATE_NOOP))re"));
    SourceTexts found;
    for (const char* folder :
         {"app", "common", "handset", "phonebook", "history", "link", "platform"}) {
        QDirIterator files(kSourceRoot + "/" + folder, {QStringLiteral("*.cpp")}, QDir::Files,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            const QString text = ReadText(path);
            for (auto m = listed.globalMatch(text); m.hasNext();) {
                QString joined;
                for (auto p = piece.globalMatch(m.next().captured(1)); p.hasNext();)
                    joined += p.next().captured(1);
                joined.replace(QStringLiteral("\\\""), QStringLiteral("\""));
                found.texts.insert(joined, path);
            }
            const bool translating = path.endsWith(QStringLiteral("AddedTexts.cpp")) ||
                                     path.endsWith(QStringLiteral("UserLanguage.cpp"));
            if (call.match(text).hasMatch() && !translating) found.unlisted << path;
        }
    }
    return found;
}

// The Japanese file's sources, and those whose translation is missing.
struct TsTexts {
    QSet<QString> sources;
    QStringList unfinished;
};

TsTexts ReadTs() {
    QFile file(kSourceRoot + "/res/translations/telvoxa_ja.ts");
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    TsTexts ts;
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QStringLiteral("source")) source = xml.readElementText();
        if (xml.name() == QStringLiteral("translation")) {
            const bool unfinished = xml.attributes().hasAttribute(QStringLiteral("type"));
            if (unfinished || xml.readElementText().isEmpty()) ts.unfinished << source;
            ts.sources.insert(source);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return ts;
}

// The Japanese translation for the scope of a test; English after it.
class JapaneseSession {
public:
    JapaneseSession() {
        m_loaded = LoadAddedTextTranslation(*QCoreApplication::instance(), QLocale("ja_JP"));
    }
    ~JapaneseSession() {
        for (QTranslator* translator :
             QCoreApplication::instance()->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly)) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
    bool Loaded() const { return m_loaded; }

private:
    bool m_loaded = false;
};

TEST(AddedTexts, EveryAddedTextHasItsJapaneseTranslation) {
    const SourceTexts sources = ScanSources();
    EXPECT_GE(sources.texts.size(), 10);
    EXPECT_TRUE(sources.unlisted.isEmpty()) << sources.unlisted.join(' ').toStdString();
    const TsTexts ts = ReadTs();
    EXPECT_TRUE(ts.unfinished.isEmpty()) << ts.unfinished.join('\n').toStdString();
    for (auto it = sources.texts.cbegin(); it != sources.texts.cend(); ++it) {
        EXPECT_TRUE(ts.sources.contains(it.key()))
            << "not in telvoxa_ja.ts: \"" << it.key().toStdString() << "\" ("
            << it.value().toStdString() << ")";
    }
}

TEST(AddedTexts, AJapaneseSessionGetsThemAndTheHandsetsOwnTextsStay) {
    {
        const JapaneseSession japanese;
        ASSERT_TRUE(japanese.Loaded());
        EXPECT_TRUE(EmptyPhoneBookText().startsWith(QStringLiteral("電話帳が読み込まれていません")))
            << EmptyPhoneBookText().toStdString();
        const SourceTexts sources = ScanSources();
        for (auto it = sources.texts.cbegin(); it != sources.texts.cend(); ++it) {
            const QByteArray english = it.key().toUtf8();
            EXPECT_NE(AddedText(english.constData()), it.key()) << english.constData();
        }
        // The handset's own texts are not among them, whatever the language.
        for (const char* own :
             {"Receiving...", "On Line", "Not Notified", "Charge %d", "Already Running !!",
              "mdd File Open Error !!", "電話帳ファイル変更(&R)", "電話帳ファイル変更(R)"}) {
            EXPECT_EQ(AddedText(own), QString::fromUtf8(own));
        }
        EXPECT_TRUE(EmptyPhoneBookText().contains(QStringLiteral("電話帳ファイル変更(R)")));
    }
    // English where there is no translation.
    EXPECT_TRUE(EmptyPhoneBookText().startsWith(QStringLiteral("No phone book is loaded.")));
    EXPECT_FALSE(LoadAddedTextTranslation(*QCoreApplication::instance(), QLocale("fr_FR")));
}

// A device's state as the core tells it (in English, for its logs and
// --list-ports) is the same text the window shows without a translation;
// in a Japanese session each part of it stays, in Japanese words.
TEST(AddedTexts, DeviceStatesAreTheCoresWordsInEnglishAndJapaneseInAJapaneseSession) {
    struct stat device {};
    device.st_mode = S_IFCHR | 0660;
    FakeAccounts accounts;
    SetUserAccounts(&accounts);
    const auto denied = [&](const char* group, bool listed) {
        accounts.group = group;
        accounts.listed = listed;
        return DescribeNoPermission(device);
    };
    const struct {
        DeviceCheck check;
        const char* japanese;
    } cases[] = {
        {DescribeState(DeviceState::Ready), "使用できます"},
        {DescribeOpenError(ENOENT), "デバイスがありません"},
        {DescribeOpenError(ENOTTY), "シリアルデバイスではありません"},
        {DescribeState(DeviceState::Failed), "不明なエラー"},
        {DescribeOpenError(EACCES), "アクセス権がありません"},
        {denied("uucp", false), "アクセス権がありません(root:uucp 0660)"},
        {denied("dialout", false),
         "アクセス権がありません:ユーザーを dialout グループに追加してください(root:dialout 0660)"},
        {denied("plugdev", true),
         "アクセス権がありません:ユーザーは plugdev グループに入っていますが、今のログインには"
         "まだ反映されていません。ログインし直してください(root:plugdev 0660)"},
        {DescribeHolder(0), "別のプログラムが使用中です"},
        {DescribeHolder(4242), "別のプログラムが使用中です(プロセス 4242)"},
        {DescribeHolding(OddLockFile(LockFileOddity::Link, "LCK..ttyS0")),
         "別のプログラムが使用中です(LCK..ttyS0 がリンクです)"},
        {DescribeHolding(OddLockFile(LockFileOddity::NotRegularFile, "LCK..ttyS0")),
         "別のプログラムが使用中です(LCK..ttyS0 が通常のファイルではありません)"},
        {DescribeHolding(OddLockFile(LockFileOddity::BeingReplaced, "LCK..pts_3")),
         "別のプログラムが使用中です(LCK..pts_3 を別のプログラムが置き換えています)"},
    };
    SetUserAccounts(nullptr);
    for (const auto& c : cases) {
        EXPECT_EQ(DeviceCheckText(c.check).toStdString(), c.check.text);
    }
    const JapaneseSession japanese;
    ASSERT_TRUE(japanese.Loaded());
    for (const auto& c : cases) {
        EXPECT_EQ(DeviceCheckText(c.check), QString::fromUtf8(c.japanese)) << c.check.text;
    }
    // The system's own words stay the system's.
    const DeviceCheck failed = DescribeOpenError(EIO);
    EXPECT_EQ(DeviceCheckText(failed).toStdString(), failed.text);
}

// The core's lines (the call history's, made on the link thread, and a
// phone book's reasons) come in the session's language; the history's as
// they came before in Japanese.
TEST(AddedTexts, TheCoresLinesAreSaidInTheSessionsLanguage) {
    const auto opening = [](CallStoreTrouble trouble, const char* reason = "") {
        CallStoreOpening made;
        made.trouble = trouble;
        made.reason = reason;
        made.aside = "/h/calls.sqlite.damaged";
        return made;
    };
    setenv("TZ", "UTC", 1);
    tzset();
    const std::time_t march11 = 1710118800;  // 2024-03-11 01:00 UTC
    ScratchDir folder;
    folder.Write("book.vcf",
                 "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:x\r\nEND:VCARD\r\n"
                 "BEGIN:VCARD\r\nFN:y\r\n");
    const std::string unended = folder.PathOf("book.vcf");
    const auto trouble = [&](CallStoreTrouble kind, bool recording, const char* reason = "") {
        return [=] { return CallStoreTroubleText(opening(kind, reason), "/h/c", recording); };
    };
    const struct {
        std::function<std::string()> line;
        std::string japanese;
    } cases[] = {
        {trouble(CallStoreTrouble::MovedAside, true),
         "通話履歴が壊れていたため /h/calls.sqlite.damaged に移し、新しい履歴を始めました。"},
        {trouble(CallStoreTrouble::Locked, true),
         "通話履歴 /h/c は別のプログラムが使用中です。ファイルはそのままで、通話は書き込めるよう"
         "になりしだい記録します。"},
        {trouble(CallStoreTrouble::DiskFull, false),
         "ディスクに空きがないため、通話履歴 /h/c を使えません。ファイルはそのままです。"},
        {trouble(CallStoreTrouble::ReadOnly, false, "mode 0444"),
         "通話履歴 /h/c は読み取り専用です（mode 0444）。ファイルはそのままです。"},
        {trouble(CallStoreTrouble::Newer, true),
         "通話履歴 /h/c は新しい版のTelvoxaで作られています。ファイルはそのままで、通話は記録"
         "されません。"},
        {trouble(CallStoreTrouble::Unusable, true, "not a database"),
         "通話履歴 /h/c を使えません（not a database）。ファイルはそのままで、通話は記録されま"
         "せん。"},
        {[=] {
             return UnsavedCallsText(2, 1, march11, march11 + 3600, CallWriteFailedWhy("", true));
         },
         "通話 2 件を通話履歴に書き込めていません（03/11 01:00〜03/11 02:00、ディスクに空きが"
         "ないため）。書き込めるようになりしだい書き込みます。通話 1 件は通話履歴に記録できませ"
         "んでした（03/11 01:00〜03/11 02:00）。"},
        {[=] { return UnsavedCallsText(1, 0, march11, march11, CallHistoryUnusableWhy()); },
         "通話 1 件を通話履歴に書き込めていません（03/11 01:00、通話履歴を使えないため）。"
         "書き込めるようになりしだい書き込みます。"},
        {[&] {
             PhoneBook book;
             return LoadPhoneBookFile(unended, book).description;
         },
         unended + " の 5 行目:ここから始まるカードに END:VCARD がありません"},
    };
    // English without the translation: whole sentences with their parts.
    EXPECT_EQ(cases[1].line(),
              "The call history /h/c is in use by another program. The file is left as it is; "
              "calls are recorded as soon as they can be written.");
    EXPECT_EQ(cases[6].line(),
              "Calls not yet written to the call history: 2 (03/11 01:00 to 03/11 02:00, the disk "
              "is full). They are written as soon as it can be. Calls that could not be recorded "
              "in the call history: 1 (03/11 01:00 to 03/11 02:00).");
    {
        const JapaneseSession japanese;
        ASSERT_TRUE(japanese.Loaded());
        SayCoreTextsInTheUsersLanguage();
        for (const auto& c : cases) EXPECT_EQ(c.line(), c.japanese);
        SetUserTranslation(nullptr);
    }
    // An argument's own "%2" is not filled in again.
    EXPECT_EQ(InUserLanguage("%1 (%2)", {"50%2", "x"}), "50%2 (x)");
}

}  // namespace
