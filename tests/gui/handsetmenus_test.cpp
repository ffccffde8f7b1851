// The handset window's menus, their commands and guards, the tray icon's
// clicks, and the control pad opened and closed with F12.

#include <gtest/gtest.h>

#include <QAction>
#include <QCursor>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/ui/AboutDlg.h"
#include "app/ui/DataFolder.h"
#include "app/ui/SettingsDlg.h"
#include "handset/MenuCommands.h"
#include "handset/SettingsSummary.h"
#include "handset/ui/HandsetDlg.h"
#include "support/FakeCommDevice.h"
#include "support/PhoneBookWriter.h"
#include "support/PhoneBytes.h"
#include "support/SessionAccess.h"
#include "support/gui/LinkWaits.h"
#include "support/gui/ModalScript.h"
#include "support/gui/QtPrinters.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/TempProfile.h"
#include "support/gui/TestSkin.h"
#include "textpad/ui/ControlPadDlg.h"

namespace {

const int kGuardedCommands[] = {ID_SETTINGS, ID_CHANGE_PHONEBOOK, ID_CHANGE_SKIN, ID_SHOW_SETTINGS,
                                ID_APP_ABOUT};
const int kCallStates[] = {CALL_OFFHOOK, CALL_SENDING, CALL_RECEIVING, CALL_ONLINE, CALL_HOLDING};

// The session in `state`, as the window shows it.
void SetCallState(CHandsetDlg& window, int state) {
    window.Post([state](HandsetSession& session) {
        TestState(session).callState = state;
        session.OnClearAll();
    });
    window.Flush();
}

void DeleteClosedPads() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class HandsetMenusTest : public ::testing::Test {
protected:
    struct Tracked {
        int menu;
        QPoint at;
        bool monitoring;  // while the menu was up
        bool windowVisible;
    };

    void SetUp() override {
        ResetProfile();
        ASSERT_TRUE(dir.isValid());
        WriteTestSkin(dir.path());
        ASSERT_TRUE(app.OpenSkinFile(dir.path() + "/default.ini"));
        app.m_strSkinFile = QStringLiteral("default.ini");
        // Ticks as often as the settings allow: whether they run shows soon.
        Profile::WriteProfileInt("connection", "mon_interval", 50);
    }

    // The window after its start-up, with the ticks running and every menu
    // answered by `choose` (0: dismissed).
    std::unique_ptr<CHandsetDlg> Start() {
        auto window = std::make_unique<CHandsetDlg>(
            nullptr,
            [this] {
                auto fake = std::make_unique<FakeCommDevice>();
                device = fake.get();
                return fake;
            },
            [] { return std::tm{}; });
        EXPECT_TRUE(window->OnInitDialog());
        window->Flush();
        CHandsetDlg* w = window.get();
        window->m_trackMenu = [this, w](QMenu& menu, const QPoint& at) -> QAction* {
            tracked.push_back(
                {menu.objectName().toInt(), at, !TicksPaused(*device), w->isVisible()});
            for (QAction* action : menu.actions()) {
                if (choose != 0 && action->data().toInt() == choose) return action;
            }
            return nullptr;
        };
        return window;
    }

    void LoadBook(int records) {
        std::vector<CMemoryDial> list(static_cast<size_t>(records));
        for (int i = 0; i < records; ++i) list[size_t(i)].m_strName = "N" + std::to_string(i);
        const QString path = dir.path() + "/book.mdd";
        ASSERT_TRUE(PhoneBookWriter().Raw(PhoneBookBytes(list, {})).Save(path.toStdString()));
        app.LoadPhoneBook(path);
        ASSERT_EQ(app.m_phoneBook.m_nRecords, records);
    }

    static QPoint SavedPadPosition() {
        return {Profile::GetProfileInt("pad", "pos_x", -1),
                Profile::GetProfileInt("pad", "pos_y", -1)};
    }

    QTemporaryDir dir;
    CHandsetApp app;
    ScriptedDialogs dialogs;
    FakeCommDevice* device = nullptr;
    std::vector<Tracked> tracked;
    int choose = 0;
};

TEST_F(HandsetMenusTest, TheTwoMenusHoldTheirTextsAndCommandIds) {
    const struct {
        int resource;
        std::vector<std::pair<int, const char*>> items;  // id 0: separator
    } menus[] = {
        {134,
         {{1, "終了(&X)"},
          {0, ""},
          {32774, "設定(&I)"},
          {0, ""},
          {32772, "電話帳ファイル変更(&R)"},
          {32771, "スキン設定ファイル変更(要再起動)（&C)"},
          {0, ""},
          {32773, "現在の設定の表示(&S)"},
          {0, ""},
          {57664, "バージョン情報(&A)"},
          {0, ""},
          {32775, "通話履歴(&H)"}}},
        {144, {{1, "終了(&X)"}, {0, ""}, {32774, "設定(&I)"}, {0, ""}, {32775, "通話履歴(&H)"}}},
    };
    auto window = Start();
    for (const auto& m : menus) {
        const std::unique_ptr<QMenu> menu = window->LoadMenu(m.resource);
        const QList<QAction*> actions = menu->actions();
        ASSERT_EQ(actions.size(), qsizetype(m.items.size())) << m.resource;
        for (size_t i = 0; i < m.items.size(); ++i) {
            const auto [id, text] = m.items[i];
            QAction* action = actions[qsizetype(i)];
            EXPECT_EQ(action->isSeparator(), id == 0) << m.resource << " item " << i;
            if (id == 0) continue;
            EXPECT_EQ(action->text(), QString::fromUtf8(text));
            EXPECT_EQ(action->data().toInt(), id);
            EXPECT_EQ(action->objectName(), QString::number(id));
        }
    }
}

TEST_F(HandsetMenusTest, RightPressTracksTheSkinMenuAtTheCursorWithTheTimerStopped) {
    auto window = Start();
    window->move(40, 30);
    window->OnRButtonDown(QPoint(3, 4));
    window->Flush();
    ASSERT_EQ(tracked.size(), 1u);
    EXPECT_EQ(tracked[0].menu, 134);
    EXPECT_EQ(tracked[0].at, window->mapToGlobal(QPoint(3, 4)));
    EXPECT_FALSE(tracked[0].monitoring);
    // Dismissed: nothing else happens, the ticks run again.
    EXPECT_TRUE(TicksRunning(*device));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(window->IsEnded());

    // A chosen command runs after the menu has gone, with the timer running.
    choose = ID_APP_EXIT_OK;
    window->OnRButtonDown(QPoint(1, 1));
    window->Flush();
    EXPECT_TRUE(window->IsEnded());
    EXPECT_EQ(window->Result(), IDOK);
}

TEST_F(HandsetMenusTest, RightPressDuringACallOpensNoMenu) {
    auto window = Start();
    for (int state : kCallStates) {
        SetCallState(*window, state);
        window->OnRButtonDown(QPoint(1, 1));
        window->Flush();
    }
    EXPECT_TRUE(tracked.empty());
    EXPECT_TRUE(TicksRunning(*device));
}

// The session decides after the keys already pressed, not the window after
// what it last showed: End then a right-click on a call opens the menu once
// the call has ended; Send then a right-click opens none.
TEST_F(HandsetMenusTest, ARightPressAfterAKeyOpensTheMenuOnlyIfTheSessionIsIdleThen) {
    const struct {
        const char* what;
        int state;
        Qt::Key key;
        size_t menus;
        int stateAfter;
    } rows[] = {
        {"end on a connected call", CALL_ONLINE, Qt::Key_End, 1, CALL_IDLE},
        {"send while idle", CALL_IDLE, Qt::Key_Home, 0, CALL_OFFHOOK},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        tracked.clear();
        auto window = Start();
        SetCallState(*window, row.state);
        // The phone's reply to the hang-up, given while the link is still.
        window->StopMonitor();
        window->Flush();
        device->Incoming(ChargeReply("30"), 100);
        QTest::keyClick(window.get(), row.key);
        window->OnRButtonDown(QPoint(1, 1));
        window->Flush();
        EXPECT_EQ(tracked.size(), row.menus);
        EXPECT_EQ(window->Shown().callState, row.stateAfter);
        window->StartMonitor();
    }
}

TEST_F(HandsetMenusTest, DuringACallEveryCommandButQuitIsIgnoredSilently) {
    ModalScript<CSettingsDlg> settings;
    ModalScript<CAboutDlg> about;
    LoadBook(3);
    const QString bookFile = app.m_strPhoneBookFile;
    auto window = Start();
    dialogs.fileAnswers.push_back(dir.path() + "/other.ini");
    for (int state : kCallStates) {
        SetCallState(*window, state);
        for (int id : kGuardedCommands) window->OnCommand(id);
    }
    EXPECT_TRUE(TicksRunning(*device));
    window->StopMonitor();
    FlushAnswering(*window);
    EXPECT_EQ(settings.Shown() + about.Shown(), 0);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.fileDialogsShown, 0);
    EXPECT_EQ(app.m_phoneBook.m_nRecords, 3);
    EXPECT_EQ(app.m_strPhoneBookFile, bookFile);
    EXPECT_EQ(app.m_strSkinFile, "default.ini");
    EXPECT_EQ(device->CallCount(FakeOp::Close), 0);  // the settings command closes the port
    EXPECT_FALSE(window->IsEnded());

    // Quit is always carried out.
    window->OnCommand(ID_APP_EXIT_OK);
    EXPECT_TRUE(window->IsEnded());
    EXPECT_EQ(window->Result(), IDOK);
}

TEST_F(HandsetMenusTest, TheSettingsCommandWhenIdleShowsTheDialogAndReopensThePort) {
    ModalScript<CSettingsDlg> settings;
    auto window = Start();
    bool monitoringWhileShown = true;
    settings.Then([&](CSettingsDlg* d) {
        monitoringWhileShown = !TicksPaused(*device);
        QTest::mouseClick(d->findChild<QPushButton*>("1"), Qt::LeftButton);
    });
    window->StopMonitor();
    window->Flush();
    const int opens = device->CallCount(FakeOp::Open);
    window->StartMonitor();
    window->OnCommand(ID_SETTINGS);
    window->Flush();
    FlushAnswering(*window);
    EXPECT_EQ(settings.Shown(), 1);
    EXPECT_FALSE(monitoringWhileShown);
    EXPECT_TRUE(TicksRunning(*device));
    window->StopMonitor();
    window->Flush();
    EXPECT_EQ(device->CallCount(FakeOp::Open), opens + 1);
    EXPECT_TRUE(device->IsOpen());
    EXPECT_TRUE(window->Session().IsMonitoring());
}

TEST_F(HandsetMenusTest, ChangingThePhoneBookKeepsTheTimerAndCancelLeavesNoBook) {
    LoadBook(3);
    auto window = Start();
    bool monitoringWhileShown = false;
    int recordsWhileShown = -1;
    dialogs.whileShown = [&] {
        monitoringWhileShown = TicksRunning(*device);
        recordsWhileShown = app.m_phoneBook.m_nRecords;
    };
    window->OnCommand(ID_CHANGE_PHONEBOOK);  // nothing queued: cancelled
    window->Flush();
    EXPECT_EQ(dialogs.fileDialogsShown, 1);
    EXPECT_EQ(dialogs.lastSuffix, ".mdd");
    EXPECT_TRUE(monitoringWhileShown);
    EXPECT_EQ(recordsWhileShown, 0);  // already emptied while the dialog is up
    EXPECT_EQ(app.m_phoneBook.m_nRecords, 0);
    EXPECT_TRUE(app.m_strPhoneBookFile.isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());

    const QString path = dir.path() + "/book.mdd";
    dialogs.fileAnswers.push_back(path);
    window->OnCommand(ID_CHANGE_PHONEBOOK);
    window->Flush();
    EXPECT_EQ(app.m_phoneBook.m_nRecords, 3);
    EXPECT_EQ(app.m_strPhoneBookFile, path);
}

TEST_F(HandsetMenusTest, ChangingTheSkinFileAsksForARestartAndChangesOnlyThePath) {
    auto window = Start();
    const QString inUse = app.m_strSkinFileInUse;
    const QString bitmap = app.m_strBitmapFile;
    const QSize size = window->size();
    bool monitoringWhileShown = false;
    dialogs.whileShown = [&] { monitoringWhileShown = TicksRunning(*device); };

    window->OnCommand(ID_CHANGE_SKIN);  // cancelled
    window->Flush();
    EXPECT_EQ(dialogs.fileDialogsShown, 1);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(app.m_strSkinFile, "default.ini");

    dialogs.fileAnswers.push_back(QStringLiteral("/skins/other.ini"));
    window->OnCommand(ID_CHANGE_SKIN);
    window->Flush();
    EXPECT_TRUE(monitoringWhileShown);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Restart the Application !!");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(app.m_strSkinFile, "/skins/other.ini");
    EXPECT_EQ(app.m_strSkinFileInUse, inUse);
    EXPECT_EQ(app.m_strBitmapFile, bitmap);
    EXPECT_TRUE(app.m_skinFile.IsOpen());
    EXPECT_EQ(window->size(), size);
    EXPECT_TRUE(TicksRunning(*device));
}

TEST_F(HandsetMenusTest, TheChosenSkinFileReachesTheProfileWhenTheProgramQuits) {
    const QString savedDir = QDir::currentPath();
    QDir::setCurrent(dir.path());
    DataFolder::Override(dir.path() + "/no-data-here");
    app.m_deviceFactory = [] { return std::make_unique<FakeCommDevice>(); };
    app.m_clock = [] { return std::tm{}; };
    const QString chosen = dir.path() + "/next.ini";
    dialogs.fileAnswers.push_back(chosen);
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!app.m_pMainWnd || !app.m_pMainWnd->isVisible()) return;
        poll.stop();
        app.m_pMainWnd->OnCommand(ID_CHANGE_SKIN);
        app.m_pMainWnd->Flush();
        // Not stored yet: only the end of the run writes it.
        EXPECT_EQ(Profile::GetProfileString("ini", "inifile", "?"), "?");
        app.m_pMainWnd->OnCommand(ID_APP_EXIT_OK);
    });
    poll.start();
    app.InitInstance();
    QDir::setCurrent(savedDir);
    DataFolder::Override(QString());

    EXPECT_EQ(app.m_nLastRunResult, IDOK);
    EXPECT_EQ(dialogs.Texts(), QStringList{"Restart the Application !!"});
    EXPECT_EQ(Profile::GetProfileString("ini", "inifile", "?"), chosen);
}

TEST_F(HandsetMenusTest, TheCurrentSettingsMessageNamesPortCableAndFiles) {
    LoadBook(1);
    bool monitoringWhileShown = true;
    dialogs.whileShown = [&] { monitoringWhileShown = !TicksPaused(*device); };
    Profile::WriteProfileInt("connection", "port", 2);
    const std::pair<int, const char*> cables[] = {
        {0, "シリアルポート用メモリ編集ケーブル"},
        {1, "上記以外のメモリ編集ケーブル"},
        {4, "データ通信ケーブル3"},
    };
    for (auto [cable, name] : cables) {
        dialogs.messages.clear();
        Profile::WriteProfileInt("connection", "cable", cable);
        auto window = Start();
        window->OnCommand(ID_SHOW_SETTINGS);
        window->Flush();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Information);
        EXPECT_EQ(dialogs.messages[0].text, "現在の設定\r\n\r\n接続ポート COM3   ケーブル " +
                                                QString::fromUtf8(name) +
                                                "\r\n\r\nスキン設定ファイル(.ini)\r\ndefault.ini"
                                                "\r\n\r\nビットマップファイル(.bmp)\r\n" +
                                                dir.path() +
                                                "/body.bmp"
                                                "\r\n\r\n電話帳ファイル(.mdd/.vcf/.csv)\r\n" +
                                                dir.path() + "/book.mdd");
        EXPECT_FALSE(monitoringWhileShown);
        EXPECT_TRUE(TicksRunning(*device));
    }
}

TEST_F(HandsetMenusTest, TheVersionDialogShowsTheVersionWithTheTimerStopped) {
    ModalScript<CAboutDlg> about;
    auto window = Start();
    QString shownText;
    bool monitoringWhileShown = true;
    QWidget* owner = nullptr;
    about.Then([&](CAboutDlg* d) {
        shownText = d->findChild<QLabel*>("1020")->text();
        monitoringWhileShown = !TicksPaused(*device);
        owner = d->parentWidget();
        QTest::mouseClick(d->findChild<QPushButton*>("1"), Qt::LeftButton);
    });
    window->OnCommand(ID_APP_ABOUT);
    window->Flush();
    EXPECT_EQ(about.Shown(), 1);
    EXPECT_EQ(shownText, "Telvoxa Ver.1.06");
    EXPECT_FALSE(monitoringWhileShown);
    EXPECT_EQ(owner, window.get());
    EXPECT_TRUE(TicksRunning(*device));
}

TEST_F(HandsetMenusTest, TheRealPopupMenuHandsBackTheChosenCommand) {
    auto window = Start();
    window->show();
    window->m_trackMenu = nullptr;  // QMenu::exec itself
    QStringList seen;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        answer.stop();
        seen << menu->objectName();
        QAction* item = menu->findChild<QAction*>(QString::number(ID_SHOW_SETTINGS));
        ASSERT_NE(item, nullptr);
        menu->setActiveAction(item);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    answer.start();
    window->OnRButtonDown(QPoint(2, 2));
    // The menu opens once the session said idle, and so does its command.
    window->Flush();
    window->Flush();
    EXPECT_EQ(seen, QStringList{"134"});
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("現在の設定\r\n"));
}

TEST_F(HandsetMenusTest, WithoutANotificationAreaTheWindowRunsOnSilently) {
    auto window = Start();
    EXPECT_EQ(window->IsTrayIconAdded(), QSystemTrayIcon::isSystemTrayAvailable());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(TicksRunning(*device));
    EXPECT_FALSE(window->IsEnded());
    window->OnDestroy();
    EXPECT_FALSE(window->IsTrayIconAdded());
}

TEST_F(HandsetMenusTest, TrayRightClickHidesTheWindowAndLeftClickBringsItBack) {
    auto window = Start();
    window->show();
    window->OnTrayNotify(QSystemTrayIcon::Context);
    ASSERT_EQ(tracked.size(), 1u);
    EXPECT_EQ(tracked[0].menu, 144);
    EXPECT_EQ(tracked[0].at, QCursor::pos());
    EXPECT_FALSE(tracked[0].windowVisible);
    EXPECT_FALSE(tracked[0].monitoring);
    // Nothing chosen: hidden, and the monitoring goes on.
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(TicksRunning(*device));

    for (auto other :
         {QSystemTrayIcon::DoubleClick, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
        window->OnTrayNotify(other);
    }
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(tracked.size(), 1u);

    window->OnTrayNotify(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(window->isVisible());
    window->showMinimized();
    window->OnTrayNotify(QSystemTrayIcon::Trigger);
    EXPECT_FALSE(window->isMinimized());
    EXPECT_FALSE(window->IsEnded());
}

TEST_F(HandsetMenusTest, TrayMenuCommandsObeyTheSameGuards) {
    ModalScript<CSettingsDlg> settings;
    auto window = Start();
    SetCallState(*window, CALL_ONLINE);
    choose = ID_SETTINGS;
    window->OnTrayNotify(QSystemTrayIcon::Context);
    FlushAnswering(*window);
    EXPECT_EQ(tracked.size(), 1u);
    EXPECT_EQ(settings.Shown(), 0);
    EXPECT_TRUE(TicksRunning(*device));

    choose = ID_APP_EXIT_OK;
    window->OnTrayNotify(QSystemTrayIcon::Context);
    EXPECT_TRUE(window->IsEnded());
    EXPECT_EQ(window->Result(), IDOK);
}

TEST_F(HandsetMenusTest, TrayMenuWaitsWhileAModalDialogIsOpen) {
    ModalScript<CAboutDlg> about;
    auto window = Start();
    window->show();
    choose = ID_SETTINGS;
    size_t menusDuringDialog = 99;
    about.Then([&](CAboutDlg* d) {
        window->OnTrayNotify(QSystemTrayIcon::Context);
        menusDuringDialog = tracked.size();
        d->accept();
    });
    window->OnCommand(ID_APP_ABOUT);
    window->Flush();
    EXPECT_EQ(about.Shown(), 1);
    EXPECT_EQ(menusDuringDialog, 0u);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(TicksRunning(*device));
}

TEST_F(HandsetMenusTest, F12TwiceOpensAndClosesThePadWhichSavesItsPosition) {
    auto window = Start();
    window->StopMonitor();
    window->Flush();
    window->show();
    window->TogglePad();
    QPointer<CControlPadDlg> pad = window->Pad();
    ASSERT_FALSE(pad.isNull());
    EXPECT_TRUE(pad->isVisible());
    EXPECT_EQ(pad->parentWidget(), window.get());
    EXPECT_EQ(pad->pos(), QPoint(0, 0));  // nothing stored yet

    // The pad's keys go out through the window's link, in order with the
    // handset's own.
    device->writes.clear();
    QTest::mouseClick(pad->findChild<QPushButton*>("1041"), Qt::LeftButton);
    QTest::keyClick(window.get(), Qt::Key_End);
    QTest::mouseClick(pad->findChild<QPushButton*>("1041"), Qt::LeftButton);
    window->Flush();
    ASSERT_EQ(device->writes.size(), 3u);
    EXPECT_EQ(device->writes[0].size(), 8u);
    EXPECT_EQ(device->writes[1], FakeCommDevice::Bytes{0xA6});
    EXPECT_EQ(device->writes[2], device->writes[0]);

    pad->move(120, 80);
    window->TogglePad();
    EXPECT_TRUE(window->Pad() == nullptr);
    EXPECT_EQ(SavedPadPosition(), QPoint(120, 80));
    DeleteClosedPads();
    EXPECT_TRUE(pad.isNull());
}

TEST_F(HandsetMenusTest, APadThatClosedItselfIsLetGoAndF12OpensANewOneWhereItWas) {
    auto window = Start();
    window->StopMonitor();
    window->show();
    window->TogglePad();
    QPointer<CControlPadDlg> first = window->Pad();
    first->move(200, 150);
    first->activateWindow();
    QTest::keyClick(first, Qt::Key_F12);  // the pad's own F12
    EXPECT_TRUE((window->Pad() == nullptr));

    // Still on its way out: F12 in the window opens a new pad and leaves
    // the closing one alone.
    window->TogglePad();
    QPointer<CControlPadDlg> second = window->Pad();
    ASSERT_FALSE(second.isNull());
    EXPECT_NE(second.data(), first.data());
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->pos(), QPoint(200, 150));
    DeleteClosedPads();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(window->Pad(), second.data());

    // Closed by its own Cancel and gone: the window holds nothing of it, and
    // F12 twice more opens and closes a third pad.
    second->reject();
    DeleteClosedPads();
    EXPECT_TRUE(second.isNull());
    EXPECT_TRUE((window->Pad() == nullptr));
    window->TogglePad();
    EXPECT_FALSE((window->Pad() == nullptr));
    window->TogglePad();
    EXPECT_TRUE((window->Pad() == nullptr));
    DeleteClosedPads();
    EXPECT_TRUE(window->findChildren<CControlPadDlg*>().isEmpty());
}

TEST_F(HandsetMenusTest, F12PressedRapidlyLeavesAtMostOnePadOpen) {
    auto window = Start();
    window->StopMonitor();
    for (int presses = 1; presses <= 9; ++presses) {
        window->TogglePad();
        EXPECT_EQ((window->Pad() == nullptr), presses % 2 == 0) << presses;
    }
    DeleteClosedPads();
    const auto pads = window->findChildren<CControlPadDlg*>();
    ASSERT_EQ(pads.size(), 1);
    EXPECT_EQ(pads[0], window->Pad());
    EXPECT_TRUE(pads[0]->isVisible());
}

TEST_F(HandsetMenusTest, APadStillOpenGoesWithTheWindowWithoutSavingItsPosition) {
    auto window = Start();
    window->TogglePad();
    QPointer<CControlPadDlg> pad = window->Pad();
    pad->move(300, 10);
    window.reset();
    EXPECT_TRUE(pad.isNull());
    EXPECT_FALSE(ProfileHas("pad", "pos_x"));
}

}  // namespace
