// The handset window's way into the call history: the menu command, the
// chosen call on the handset, and the tray tip counting unseen missed calls.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <sstream>

#include "handset/MenuCommands.h"
#include "handset/ui/HandsetDlg.h"
#include "handset/ui/TrayIcon.h"
#include "history/CallHistoryPath.h"
#include "history/CallStore.h"
#include "history/ui/CallHistoryDlg.h"
#include "history/ui/CallHistoryModel.h"
#include "platform/Cp932.h"
#include "support/CallSamples.h"
#include "support/FakeCommDevice.h"
#include "support/SessionAccess.h"
#include "support/gui/ModalScript.h"
#include "support/gui/QtPrinters.h"
#include "support/gui/TempProfile.h"
#include "support/gui/TestSkin.h"

namespace {

class HandsetHistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProfile();
        std::filesystem::remove_all(std::filesystem::path(CallHistoryPath()).parent_path());
        ASSERT_TRUE(dir.isValid());
        WriteTestSkin(dir.path());
        ASSERT_TRUE(app.OpenSkinFile(dir.path() + "/default.ini"));
        app.m_strSkinFile = QStringLiteral("default.ini");
        // The calls as the recorder leaves them in the user's history.
        auto store = CallStore::OpenForRecording(CallHistoryPath(), kMarch2024, diagnostics);
        ASSERT_TRUE(store);
        ASSERT_TRUE(store->Insert(MakeCall(kMarch2024, CallOutcome::Missed, "0312345678")));
        ASSERT_TRUE(store->Insert(
            MakeCall(kMarch2024 + 60, CallOutcome::Answered, "09012345678", "山田太郎", 30, 10)));
        ASSERT_TRUE(store->Insert(MakeCall(kMarch2024 + 120, CallOutcome::Missed, "")));
    }

    std::unique_ptr<CHandsetDlg> Start() {
        auto window = std::make_unique<CHandsetDlg>(
            nullptr, [] { return std::make_unique<FakeCommDevice>(); }, [] { return std::tm{}; });
        EXPECT_TRUE(window->OnInitDialog());
        window->Flush();
        return window;
    }

    static QString TrayTip(const CHandsetDlg& window) {
        const auto* tray = window.findChild<CTrayIcon*>();
        return tray ? tray->Tip() : QString();
    }

    QTemporaryDir dir;
    CHandsetApp app;
    std::ostringstream diagnostics;
};

TEST_F(HandsetHistoryTest, OkPutsTheChosenCallOnTheHandsetAndTheTipForgetsTheMissedCalls) {
    auto window = Start();
    EXPECT_EQ(TrayTip(*window), "Telvoxa — 不在着信 2");
    // A charge on show.
    window->Post([](HandsetSession& session) {
        TestState(session).display3 =
            "\x5c"
            "120";
        TestState(session).appendDigits = false;
    });
    window->Flush();

    ModalScript<CCallHistoryDlg> history;
    history.Then([&](CCallHistoryDlg* d) {
        auto* list = d->findChild<QTreeView*>(QString::number(IDC_HISTORY_LIST));
        list->setCurrentIndex(d->Model()->index(1, 0));  // 山田太郎
        QTest::mouseClick(d->findChild<QPushButton*>("1"), Qt::LeftButton);
    });
    window->OnCommand(ID_CALL_HISTORY);
    // The command runs once the session said idle; the chosen call goes
    // back to the session.
    window->Flush();
    window->Flush();
    EXPECT_EQ(history.Shown(), 1);
    EXPECT_EQ(window->Shown().display2, Utf8ToCp932("山田太郎"));
    EXPECT_EQ(window->Shown().display3, "09012345678");
    EXPECT_TRUE(TestState(window->Session()).appendDigits) << "further digits extend the number";
    EXPECT_EQ(TrayTip(*window), "Telvoxa");

    // Cancel leaves the handset as it was.
    window->Post([](HandsetSession& session) { TestState(session).display3 = "117"; });
    window->Flush();
    history.Then([](CCallHistoryDlg* d) { d->reject(); });
    window->OnCommand(ID_CALL_HISTORY);
    window->Flush();
    window->Flush();
    EXPECT_EQ(history.Shown(), 2);
    EXPECT_EQ(TestState(window->Session()).display3, "117");
}

TEST_F(HandsetHistoryTest, DuringACallTheCommandIsIgnored) {
    auto window = Start();
    ModalScript<CCallHistoryDlg> history;
    for (int state : {CALL_OFFHOOK, CALL_SENDING, CALL_RECEIVING, CALL_ONLINE, CALL_HOLDING}) {
        // A tick's snapshot shows the call.
        window->Post([state](HandsetSession& session) {
            TestState(session).callState = state;
            session.OnClearAll();
        });
        window->Flush();
        window->OnCommand(ID_CALL_HISTORY);
        // The session's answer: not idle.
        window->Flush();
    }
    EXPECT_EQ(history.Shown(), 0);
    EXPECT_EQ(TrayTip(*window), "Telvoxa — 不在着信 2");
}

TEST_F(HandsetHistoryTest, WithoutAHistoryTheTipIsThePlainName) {
    std::filesystem::remove_all(std::filesystem::path(CallHistoryPath()).parent_path());
    auto window = Start();
    EXPECT_EQ(TrayTip(*window), "Telvoxa");
    EXPECT_EQ(MissedCallTip(0), "Telvoxa");
    EXPECT_EQ(MissedCallTip(12), "Telvoxa — 不在着信 12");
}

}  // namespace
