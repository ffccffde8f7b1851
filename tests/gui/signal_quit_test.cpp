// SIGTERM and SIGINT end the run as the quit command does, whatever dialog
// or menu is open at the time; the watcher hands on every signal and puts
// the previous handlers back.

#include "app/ui/SignalQuit.h"

#include <signal.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "app/ui/AboutDlg.h"
#include "app/ui/HandsetApp.h"
#include "app/ui/SettingsDlg.h"
#include "app/ui/TerminationSignals.h"
#include "handset/MenuCommands.h"
#include "handset/ui/HandsetDlg.h"
#include "platform/posix/PosixCommDevice.h"
#include "support/PhonePty.h"
#include "support/gui/ModalScript.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/TempProfile.h"
#include "support/gui/TestSkin.h"

namespace {

// Raises `signal` once a widget that `ready` recognises is in front.
class RaiseWhen {
public:
    RaiseWhen(int signal, std::function<bool()> ready) {
        m_poll.setInterval(5);
        QObject::connect(&m_poll, &QTimer::timeout, [this, signal, ready] {
            if (!ready()) return;
            m_poll.stop();
            ::raise(signal);
        });
        m_poll.start();
    }

private:
    QTimer m_poll;
};

class SignalQuitTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProfile();
        ASSERT_TRUE(work.isValid());
        ASSERT_TRUE(pty.IsOpen());
        savedDir = QDir::currentPath();
        QDir::setCurrent(work.path());
        WriteTestSkin(work.path());
        UsePort(pty.SlavePath());
        app.m_clock = [] { return std::tm{}; };
    }
    void TearDown() override { QDir::setCurrent(savedDir); }

    void UsePort(const std::string& path) {
        app.m_deviceFactory = [path] {
            return std::make_unique<PosixCommDevice>([path](const std::string&) { return path; });
        };
    }

    QTemporaryDir work;
    QString savedDir;
    PhonePty pty;
    ScriptedDialogs dialogs;
    CHandsetApp app;
};

QWidget* Front() {
    if (QWidget* popup = QApplication::activePopupWidget()) return popup;
    return QApplication::activeModalWidget();
}

TEST_F(SignalQuitTest, EndsTheRunAsTheQuitCommandWhateverIsOpen) {
    struct Case {
        const char* what;
        int signal;
        // Runs on the shown handset window: opens what the signal meets.
        std::function<void(CHandsetDlg*)> open;
        std::function<bool()> inFront;
    };
    const Case cases[] = {
        {"the window alone", SIGTERM, nullptr,
         [&] { return app.m_pMainWnd && app.m_pMainWnd->isVisible(); }},
        {"the version dialog", SIGINT, [](CHandsetDlg* w) { w->OnCommand(ID_APP_ABOUT); },
         [] { return qobject_cast<CAboutDlg*>(Front()) != nullptr; }},
        {"the settings dialog", SIGTERM, [](CHandsetDlg* w) { w->OnCommand(ID_SETTINGS); },
         [] { return qobject_cast<CSettingsDlg*>(Front()) != nullptr; }},
        {"the skin menu", SIGTERM,
         [](CHandsetDlg* w) {
             w->m_trackMenu = nullptr;  // the real QMenu::exec
             w->OnRButtonDown(QPoint(2, 2));
         },
         [] { return qobject_cast<QMenu*>(Front()) != nullptr; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetProfile();
        SignalQuit quit(app);
        ASSERT_TRUE(quit.IsWatching());
        bool opened = false;
        QTimer opener;
        opener.setInterval(5);
        QObject::connect(&opener, &QTimer::timeout, [&] {
            if (!app.m_pMainWnd || !app.m_pMainWnd->isVisible()) return;
            opener.stop();
            opened = true;
            if (c.open) c.open(app.m_pMainWnd);
        });
        opener.start();
        RaiseWhen raiser(c.signal, c.inFront);

        EXPECT_FALSE(app.InitInstance());
        EXPECT_TRUE(opened);
        EXPECT_TRUE(quit.IsQuitting());
        EXPECT_EQ(app.m_nLastRunResult, IDOK);
        EXPECT_EQ(Front(), nullptr);
        // What the quit command stores.
        EXPECT_EQ(Profile::GetProfileString("ini", "inifile", "?"), "default.ini");
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SignalQuitTest, TheSettingsLoopOfAPortThatNeverOpensEndsAsByItsQuitButton) {
    // Rejected, the dialog would try the port again and come back for ever.
    UsePort(work.filePath("no-such-port").toStdString());
    // Not a first start, whose settings come before the window.
    Profile::WriteProfileInt("connection", "port", 0);
    Profile::Sync();
    SignalQuit quit(app);
    ModalScript<CSettingsDlg> settings;
    settings.Then([](CSettingsDlg*) { ::raise(SIGTERM); });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(settings.Shown(), 1);
    ASSERT_EQ(dialogs.Texts().size(), 1);
    EXPECT_TRUE(dialogs.Texts()[0].startsWith("COM Port Open Error !!\n"));
    EXPECT_EQ(app.m_nLastRunResult, IDOK);
    EXPECT_EQ(Profile::GetProfileString("ini", "inifile", "?"), "default.ini");
}

TEST_F(SignalQuitTest, ASignalBeforeTheWindowEndsTheRunAsSoonAsItStarts) {
    SignalQuit quit(app);
    ::raise(SIGTERM);  // nothing reads the pipe until an event loop runs
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.m_nLastRunResult, IDOK);
    EXPECT_EQ(Profile::GetProfileString("ini", "inifile", "?"), "default.ini");
}

void CountSignal(int) {}

TEST(TerminationSignalsTest, HandsOnEachSignalAndRestoresThePreviousHandlers) {
    struct sigaction mine {};
    mine.sa_handler = &CountSignal;
    sigemptyset(&mine.sa_mask);
    struct sigaction saved[2];
    ASSERT_EQ(sigaction(SIGTERM, &mine, &saved[0]), 0);
    ASSERT_EQ(sigaction(SIGINT, &mine, &saved[1]), 0);
    {
        TerminationSignals watcher;
        ASSERT_TRUE(watcher.IsWatching());
        // Only one watcher at a time: the handler has one pipe to write to.
        TerminationSignals second;
        EXPECT_FALSE(second.IsWatching());

        std::vector<int> received;
        QObject::connect(&watcher, &TerminationSignals::Received,
                         [&](int signal) { received.push_back(signal); });
        ::raise(SIGINT);
        ::raise(SIGTERM);
        ::raise(SIGTERM);
        for (int i = 0; i < 100 && received.empty(); ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        // The first begins the ending; the others cut short what the link
        // still finishes, and bound the ending's time.
        EXPECT_EQ(received, (std::vector<int>{SIGINT, SIGTERM, SIGTERM}));
    }
    for (int signal : {SIGTERM, SIGINT}) {
        struct sigaction now {};
        ASSERT_EQ(sigaction(signal, nullptr, &now), 0);
        EXPECT_EQ(now.sa_handler, &CountSignal) << signal;
    }
    sigaction(SIGTERM, &saved[0], nullptr);
    sigaction(SIGINT, &saved[1], nullptr);
}

}  // namespace
