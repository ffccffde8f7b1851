// A whole call through the running program: the simulated phone on a
// pseudo-terminal rings with a number from the phone book (a memory dial file
// or an address book), is answered on the phone, and ends the call with a
// charge, which the call history keeps with the caller's name.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <vector>

#include "app/ui/DataFolder.h"
#include "app/ui/HandsetApp.h"
#include "handset/ui/HandsetDlg.h"
#include "history/CallHistoryPath.h"
#include "history/CallStore.h"
#include "sim/PhoneSimulator.h"
#include "support/PhoneBookWriter.h"
#include "support/gui/QtPrinters.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/StagedRun.h"
#include "support/gui/TempProfile.h"
#include "support/gui/TestSkin.h"

namespace {

// A phone book file written into `folder`; its path.
using BookWriter = std::function<QString(const QString& folder)>;

QString WriteMemoryDial(const QString& folder) {
    CMemoryDial caller;
    caller.m_strName = "Yamada";
    caller.m_strNumber[0] = "0312345678";
    const QString book = folder + "/demo.mdd";
    EXPECT_TRUE(PhoneBookWriter().Raw(PhoneBookBytes({caller}, {})).Save(book.toStdString()));
    return book;
}

// An address book writes the number the way people do; the phone rings with
// the bare digits.
QString WriteVCard(const QString& folder) {
    const QString book = folder + "/contacts.vcf";
    std::ofstream(book.toStdString(), std::ios::binary)
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Someone Else\r\nTEL:03-1234-5678\r\nEND:VCARD\r\n"
           "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田太郎\r\nTEL;TYPE=HOME:03-9999-0000\r\n"
           "TEL;TYPE=CELL:+81 90-1234-5678\r\nEND:VCARD\r\n";
    return book;
}

TEST(HandsetCall, TheDisplayFollowsACallFromRingingToTheChargeAndTheHistoryKeepsIt) {
    const struct {
        const char* kind;
        BookWriter write;
        std::string number;
        QString name;
    } books[] = {
        {"memory dial file", WriteMemoryDial, "0312345678", QStringLiteral("Yamada")},
        {"vCard", WriteVCard, "09012345678", QStringLiteral("山田太郎")},
    };
    const std::string savedData = std::getenv("XDG_DATA_HOME");
    for (const auto& b : books) {
        SCOPED_TRACE(b.kind);
        ResetProfile();
        QTemporaryDir work;
        ASSERT_TRUE(work.isValid());
        WriteTestSkin(work.path());
        const QString savedDir = QDir::currentPath();
        QDir::setCurrent(work.path());
        DataFolder::Override(work.path() + "/none");
        // Each run its own history.
        setenv("XDG_DATA_HOME", (work.path() + "/data").toLocal8Bit().constData(), 1);
        const QString book = b.write(work.path());
        Profile::WriteProfileString("ini", "mdd", book);

        PhoneSimulatorOptions options;
        options.statusIntervalMs = 100;
        options.stay = true;
        PhoneSimulator phone(options);
        std::string error;
        ASSERT_TRUE(phone.Open(error)) << error;
        phone.Start();
        phone.Command("signal 3");
        Profile::WriteProfileString("ports", "COM1", QString::fromStdString(phone.PcPath()));
        Profile::WriteProfileInt("connection", "mon_interval", 50);

        ScriptedDialogs dialogs;
        CHandsetApp app;
        std::tm now{};
        now.tm_mon = 3;
        now.tm_mday = 1;
        now.tm_wday = 1;
        now.tm_hour = 12;
        app.m_clock = [now] { return now; };

        const QString number = QString::fromStdString(b.number);
        auto say = [&phone](std::string command) {
            return [&phone, command](CHandsetDlg*) { phone.Command(command); };
        };
        const std::vector<Stage> stages = {
            {"idle with signal and clock",
             [](CHandsetDlg* w) {
                 return Text(w, 1019) == "***" && Text(w, 1004) == "04/01(Mon) 12:00";
             },
             say("ring " + b.number)},
            {"ringing with the caller's name",
             [&](CHandsetDlg* w) {
                 return Text(w, 1004) == "Receiving..." && Text(w, 1005) == b.name &&
                        Text(w, 1008) == number && !w->Picture().isNull();
             },
             say("answer")},
            {"on line", [](CHandsetDlg* w) { return Text(w, 1004) == "On Line"; },
             say("hangup 120")},
            {"charge after the phone ended the call",
             [](CHandsetDlg* w) {
                 return w->Shown().callState == CALL_IDLE &&
                        Text(w, 1008) == QStringLiteral("Charge ¥120");
             },
             [](CHandsetDlg* w) { w->EndDialog(IDOK); }},
        };
        const StagedRun run = RunInStages(app, stages);
        phone.Stop();
        QDir::setCurrent(savedDir);
        DataFolder::Override(QString());

        ASSERT_EQ(run.reached, stages.size())
            << "stuck at: " << stages[std::min(run.reached, stages.size() - 1)].name << "\n"
            << run.lastTexts.toStdString();
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join("; ").toStdString();
        EXPECT_EQ(Profile::GetProfileString("ini", "mdd", "?"), book);
        // The history names the caller as the handset did.
        auto store = CallStore::OpenExisting(CallHistoryPath());
        ASSERT_TRUE(store);
        const std::vector<CallRecord> calls = store->Rows(false);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].number, b.number);
        EXPECT_EQ(calls[0].name, b.name.toStdString());
    }
    setenv("XDG_DATA_HOME", savedData.c_str(), 1);
}

}  // namespace
