// SIGTERM and SIGINT end the run as the quit command does, whatever dialog
// or menu is open at the time; the watcher hands on every signal and puts
// the previous handlers back. However many quit requests come, in whatever
// order, the run ends once with the port, its lock file and the log closed;
// a link stuck in a call nothing cuts short does not keep the process.

#include "app/ui/SignalQuit.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/ui/HandsetApp.h"
#include "app/ui/TerminationSignals.h"
#include "common/ui/AboutDlg.h"
#include "common/ui/SettingsDlg.h"
#include "handset/MenuCommands.h"
#include "handset/ui/HandsetDlg.h"
#include "platform/posix/DeviceLockFile.h"
#include "platform/posix/PosixCommDevice.h"
#include "support/FakeCommDevice.h"
#include "support/PhonePty.h"
#include "support/ScratchDir.h"
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
        const std::string locks = work.path().toStdString();
        app.m_deviceFactory = [path, locks] {
            return std::make_unique<PosixCommDevice>([path](const std::string&) { return path; },
                                                     locks);
        };
    }

    // The port's lock files left in the lock folder (the work folder).
    int LockFilesLeft() const {
        int n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(work.path().toStdString()))
            n += entry.path().filename().string().rfind("LCK..", 0) == 0;
        return n;
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

TEST_F(SignalQuitTest, TheRunEndsOnceHoweverManyQuitRequestsComeInWhateverOrder) {
    struct Case {
        const char* what;
        // Run on the shown window, one after the other without a return to
        // the event loop between them unless `laterMs` parts them.
        std::function<void(CHandsetDlg*)> first;
        std::function<void(CHandsetDlg*)> second;
        int laterMs;
        // A pause of the phone's runs, with an input queued behind it.
        bool busy;
    };
    const auto quit = [](CHandsetDlg* w) { w->OnCommand(ID_APP_EXIT_OK); };
    const auto escape = [](CHandsetDlg* w) { QTest::keyClick(w, Qt::Key_Escape); };
    const auto signal = [](int number) { return [number](CHandsetDlg*) { ::raise(number); }; };
    const Case cases[] = {
        {"the quit command twice (a double-click)", quit, quit, -1, false},
        {"the quit command, then a signal", quit, signal(SIGTERM), -1, false},
        {"Escape, then a signal", escape, signal(SIGINT), -1, false},
        {"a signal during a busy input, a second one later", signal(SIGTERM), signal(SIGHUP), 100,
         true},
    };
    const std::string logPath = work.filePath("comm.log").toStdString();
    setenv("TELVOXA_COMMLOG", logPath.c_str(), 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetProfile();
        std::filesystem::remove(logPath);
        SignalQuit quitOnSignal(app);
        QString noticeSeen;
        QTimer asker;
        asker.setInterval(5);
        QObject::connect(&asker, &QTimer::timeout, [&] {
            CHandsetDlg* window = app.m_pMainWnd;
            // Once the start-up has opened the port and put the phone on hook.
            if (!window || !window->isVisible() || window->Shown().display1 == "Connecting..." ||
                ReadAll(logPath).find("CommOpen1() Success") == std::string::npos)
                return;
            asker.stop();
            if (c.busy) {
                window->Post([](HandsetSession& s) { s.Link().Device().Sleep(3000); });
                window->Post([](HandsetSession&) {});
            }
            c.first(window);
            if (c.laterMs < 0) {
                c.second(window);
                return;
            }
            QTimer::singleShot(c.laterMs, [&, window] {
                // Meanwhile the window says why it no longer answers.
                auto* notice = window->findChild<QLabel*>(QStringLiteral("ending"));
                if (notice && notice->isVisible()) noticeSeen = notice->text();
                c.second(window);
            });
        });
        asker.start();

        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.m_nLastRunResult, IDOK);
        const std::string log = ReadAll(logPath);
        EXPECT_NE(log.find("CommClose1() Success"), std::string::npos) << log;
        EXPECT_NE(log.find("\tLog End"), std::string::npos) << log;
        EXPECT_EQ(log.find("Input Dropped At End") != std::string::npos, c.busy) << log;
        EXPECT_EQ(LockFilesLeft(), 0);
        EXPECT_EQ(Profile::GetProfileString("ini", "inifile", "?"), "default.ini");
        if (c.busy) {
            EXPECT_EQ(noticeSeen, QStringLiteral("終了しています…"));
        }
    }
    unsetenv("TELVOXA_COMMLOG");
}

// A port whose open never returns and cannot be cut short, as an open of a
// FIFO that nobody reads: it takes the port's lock file first, as the real
// device does, then blocks in the kernel.
std::unique_ptr<CommDevice> NeverOpeningDevice(const std::string& fifo,
                                               const std::string& lockFolder) {
    auto device = std::make_unique<FakeCommDevice>();
    device->beforeOpen = [fifo, lockFolder,
                          lockFile =
                              std::make_shared<DeviceLockFile>(lockFolder)](const std::string&) {
        LockFileHolding holder;
        if (!lockFile->Take(fifo, holder)) return false;
        if (std::filesystem::exists(lockFolder + "/" + LockFileName(fifo)))
            std::ofstream(lockFolder + "/lock-taken");
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd >= 0) ::close(fd);
        return false;
    };
    return device;
}

long MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000L + now.tv_nsec / 1000000L;
}

// In the child process of the death test: the run, quit as soon as the
// window shows, noting in `shared` when it was quit and where the profile is.
[[noreturn]] void RunStuckAndQuit(CHandsetApp& app, const std::string& shared) {
    const std::string fifo = shared + "/port";
    // Not a first start, whose settings would try the port first.
    Profile::WriteProfileInt("connection", "port", 0);
    Profile::Sync();
    app.m_deviceFactory = [fifo, shared] { return NeverOpeningDevice(fifo, shared); };
    std::ofstream(shared + "/profile-path")
        << QSettings(QSettings::NativeFormat, QSettings::UserScope,
                     QStringLiteral("Orvel Applications"), UiSeams::ApplicationName())
               .fileName()
               .toStdString();
    QTimer asker;
    asker.setInterval(5);
    QObject::connect(&asker, &QTimer::timeout, [&] {
        if (!app.m_pMainWnd || !app.m_pMainWnd->isVisible()) return;
        asker.stop();
        std::ofstream(shared + "/quit-at") << MonotonicMs();
        app.m_pMainWnd->OnCommand(ID_APP_EXIT_OK);
    });
    asker.start();
    app.InitInstance();
    std::_Exit(3);  // the run came back: the link was joined after all
}

// How long after the bound the stuck process may take to be gone: its
// exit and the parent's wake-up. Under the sanitizers, on a loaded machine,
// both are slower; still well short of a second bound.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr long kExitSlackMs = 3000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr long kExitSlackMs = 3000;
#else
constexpr long kExitSlackMs = 1000;
#endif
#else
constexpr long kExitSlackMs = 1000;
#endif

using SignalQuitDeathTest = SignalQuitTest;

TEST_F(SignalQuitDeathTest, ALinkStuckInAnOpenDoesNotKeepTheProcessPastTheBound) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child runs this test again: it takes the folder from its parent.
    constexpr const char* kShared = "TELVOXA_STUCK_LINK_TEST_DIR";
    QTemporaryDir made;
    const char* inherited = std::getenv(kShared);
    const std::string shared = inherited ? inherited : made.path().toStdString();
    if (!inherited) {
        setenv(kShared, shared.c_str(), 1);
        ASSERT_EQ(::mkfifo((shared + "/port").c_str(), 0600), 0);
    }
    EXPECT_EXIT(RunStuckAndQuit(app, shared), testing::ExitedWithCode(0), "");
    const long ended = MonotonicMs();
    unsetenv(kShared);
    const long quitAt = std::atol(ReadAll(shared + "/quit-at").c_str());
    ASSERT_GT(quitAt, 0);
    EXPECT_LE(ended - quitAt, CHandsetDlg::kEndBoundMs + kExitSlackMs);
    EXPECT_GE(ended - quitAt, CHandsetDlg::kEndBoundMs);
    const std::filesystem::path profilePath = ReadAll(shared + "/profile-path");
    const std::string profile = ReadAll(profilePath);
    EXPECT_NE(profile.find("inifile=default.ini"), std::string::npos) << profile;
    // The child's own temporary configuration folder, which it did not
    // stay to remove.
    const std::filesystem::path config = profilePath.parent_path().parent_path();
    const std::filesystem::path temp = QDir::tempPath().toStdString();
    if (config.parent_path() == temp) std::filesystem::remove_all(config);
    // The lock file the stuck open took is gone with the process.
    EXPECT_TRUE(std::filesystem::exists(shared + "/lock-taken"));
    EXPECT_FALSE(std::filesystem::exists(shared + "/" + LockFileName(shared + "/port")));
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
