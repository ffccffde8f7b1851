// A call from a number that a vCard address book writes the way people do:
// the simulated phone on a pseudo-terminal rings with the bare digits, and
// the card's name shows on the handset and goes into the call history.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>

#include "app/ui/DataFolder.h"
#include "app/ui/HandsetApp.h"
#include "handset/ui/HandsetDlg.h"
#include "history/CallHistoryPath.h"
#include "history/CallStore.h"
#include "sim/PhoneSimulator.h"
#include "support/gui/QtPrinters.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/TempProfile.h"
#include "support/gui/TestSkin.h"

namespace {

TEST(HandsetVCardCall, TheCardsNameShowsOnTheHandsetAndInTheHistory) {
    ResetProfile();
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    WriteTestSkin(work.path());
    const QString savedDir = QDir::currentPath();
    QDir::setCurrent(work.path());
    DataFolder::Override(work.path() + "/none");

    const QString book = work.path() + "/contacts.vcf";
    std::ofstream(book.toStdString(), std::ios::binary)
        << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Someone Else\r\nTEL:03-1234-5678\r\nEND:VCARD\r\n"
           "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:山田太郎\r\nTEL;TYPE=HOME:03-9999-0000\r\n"
           "TEL;TYPE=CELL:+81 90-1234-5678\r\nEND:VCARD\r\n";
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
    app.m_clock = [] { return std::tm{}; };

    enum { Idle, Ringing, Ended, Done } stage = Idle;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        CHandsetDlg* window = app.m_pMainWnd;
        if (!window || !window->isVisible()) return;
        const QString status = window->TextControl(1004)->text();
        if (clock.elapsed() > 30000) {
            window->EndDialog(IDOK);
        } else if (stage == Idle && window->TextControl(1019)->text() == "***") {
            stage = Ringing;
            phone.Command("ring 09012345678");
        } else if (stage == Ringing && status == "Receiving...") {
            EXPECT_EQ(window->TextControl(1005)->text(), QStringLiteral("山田太郎"));
            EXPECT_EQ(window->TextControl(1008)->text(), QStringLiteral("09012345678"));
            stage = Ended;
            phone.Command("hangup");
        } else if (stage == Ended && window->Shown().callState == CALL_IDLE) {
            stage = Done;
            window->EndDialog(IDOK);
        }
    });
    poll.start();
    app.InitInstance();
    phone.Stop();
    QDir::setCurrent(savedDir);
    DataFolder::Override(QString());

    ASSERT_EQ(stage, Done);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join("; ").toStdString();
    auto store = CallStore::OpenExisting(CallHistoryPath());
    ASSERT_TRUE(store);
    const std::vector<CallRecord> calls = store->Rows(false);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].number, "09012345678");
    EXPECT_EQ(calls[0].name, "山田太郎");
}

}  // namespace
