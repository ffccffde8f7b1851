#include "app/ui/HandsetApp.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include "app/ui/DataFolder.h"
#include "handset/ui/HandsetDlg.h"
#include "platform/posix/PosixCommDevice.h"
#include "support/PhonePty.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/TempProfile.h"
#include "support/gui/TestSkin.h"

namespace {

class HandsetAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProfile();
        ASSERT_TRUE(work.isValid() && other.isValid());
        ASSERT_TRUE(pty.IsOpen());
        savedDir = QDir::currentPath();
        QDir::setCurrent(work.path());
        DataFolder::Override(other.path() + "/no-data-here");
        const std::string slave = pty.SlavePath();
        app.m_deviceFactory = [slave] {
            return std::make_unique<PosixCommDevice>([slave](const std::string&) { return slave; });
        };
        app.m_clock = [] { return std::tm{}; };
    }
    void TearDown() override {
        QDir::setCurrent(savedDir);
        DataFolder::Override(QString());
    }

    // Runs the program; `end` closes the handset window once it is shown.
    void Run(std::function<void(CHandsetDlg*)> end) {
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (app.m_pMainWnd && app.m_pMainWnd->isVisible()) {
                shown = true;
                poll.stop();
                end(app.m_pMainWnd);
            }
        });
        poll.start();
        EXPECT_FALSE(app.InitInstance());
    }
    void RunAndQuit() {
        Run([](CHandsetDlg* w) { w->EndDialog(IDOK); });
    }

    QTemporaryDir work;
    QTemporaryDir other;
    QString savedDir;
    PhonePty pty;
    ScriptedDialogs dialogs;
    CHandsetApp app;
    bool shown = false;
};

TEST_F(HandsetAppTest, WithoutAProfileRunsDefaultIniAndStoresTheDefaults) {
    WriteTestSkin(work.path());
    RunAndQuit();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(app.m_nLastRunResult, IDOK);
    EXPECT_EQ(app.m_strSkinFileInUse, "default.ini");
    EXPECT_EQ(app.m_strBitmapFile, "body.bmp");
    EXPECT_EQ(Profile::GetProfileString("ini", "inifile", "?"), "default.ini");
    EXPECT_EQ(Profile::GetProfileString("ini", "mdd", "?"), "");
    // Everything is let go: skin file, and the lock for the next instance.
    EXPECT_FALSE(app.m_skinFile.IsOpen());
    InstanceLock next;
    EXPECT_TRUE(next.Acquire(INSTANCE_MUTEX_NAME));
}

TEST_F(HandsetAppTest, AStoredSkinThatNoLongerOpensIsReplacedByDefaultIni) {
    WriteTestSkin(work.path());
    Profile::WriteProfileString("ini", "inifile", "gone/away.ini");
    RunAndQuit();
    EXPECT_TRUE(shown);
    EXPECT_EQ(Profile::GetProfileString("ini", "inifile", "?"), "default.ini");
}

TEST_F(HandsetAppTest, AStoredSkinElsewhereTakesItsBitmapFromItsOwnFolder) {
    WriteTestSkin(other.path() + "/blue", "blue.ini");
    const QString stored = other.path() + "/blue/blue.ini";
    Profile::WriteProfileString("ini", "inifile", stored);
    RunAndQuit();
    EXPECT_EQ(app.m_strBitmapFile, other.path() + "/blue/body.bmp");
    EXPECT_EQ(Profile::GetProfileString("ini", "inifile", "?"), stored);
}

TEST_F(HandsetAppTest, ARelativeSkinMissingHereIsTakenFromTheDataFolderButStoredAsWritten) {
    WriteTestSkin(other.path() + "/share");
    DataFolder::Override(other.path() + "/share");
    RunAndQuit();
    EXPECT_TRUE(shown);
    EXPECT_EQ(QFileInfo(app.m_strSkinFileInUse).canonicalFilePath(),
              QFileInfo(other.path() + "/share/default.ini").canonicalFilePath());
    EXPECT_EQ(QFileInfo(app.m_strBitmapFile).canonicalFilePath(),
              QFileInfo(other.path() + "/share/body.bmp").canonicalFilePath());
    EXPECT_EQ(Profile::GetProfileString("ini", "inifile", "?"), "default.ini");
}

TEST_F(HandsetAppTest, WithoutAnySkinFileTheProgramStopsAndWritesNothing) {
    Profile::WriteProfileString("ini", "inifile", "gone.ini");
    RunAndQuit();
    EXPECT_FALSE(shown);
    EXPECT_EQ(dialogs.Texts(), QStringList{"ini File Open Error !!"});
    EXPECT_EQ(Profile::GetProfileString("ini", "inifile", "?"), "gone.ini");
    EXPECT_FALSE(ProfileHas("ini", "mdd"));
}

TEST_F(HandsetAppTest, ASecondInstanceIsRefusedBeforeAnythingElse) {
    WriteTestSkin(work.path());
    InstanceLock first;
    ASSERT_TRUE(first.Acquire(INSTANCE_MUTEX_NAME));
    RunAndQuit();
    EXPECT_FALSE(shown);
    EXPECT_EQ(dialogs.Texts(), QStringList{"Already Running !!"});
    EXPECT_FALSE(app.m_skinFile.IsOpen());
    EXPECT_FALSE(ProfileHas("ini", "inifile"));
}

TEST_F(HandsetAppTest, CancelStoresTheFilesAsOkDoesAndAnyOtherEndStoresNothing) {
    WriteTestSkin(work.path());
    Run([](CHandsetDlg* w) { w->reject(); });
    EXPECT_EQ(app.m_nLastRunResult, IDCANCEL);
    EXPECT_EQ(Profile::GetProfileString("ini", "inifile", "?"), "default.ini");

    ResetProfile();
    Run([](CHandsetDlg* w) { w->EndDialog(-1); });
    EXPECT_TRUE(shown);
    EXPECT_FALSE(ProfileHas("ini", "inifile"));
}

TEST_F(HandsetAppTest, ChoosingASkinFileTakesEffectOnlyThroughTheProfile) {
    dialogs.fileAnswers.push_back(std::nullopt);
    dialogs.fileAnswers.push_back(QStringLiteral("/skins/new.ini"));
    app.m_strSkinFile = "default.ini";
    app.ChooseSkinFile();
    EXPECT_EQ(app.m_strSkinFile, "default.ini");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.lastSuffix, ".ini");
    EXPECT_EQ(dialogs.lastFilters, (QStringList{"INI Files (*.ini)", "All Files (*.*)"}));
    app.ChooseSkinFile();
    EXPECT_EQ(app.m_strSkinFile, "/skins/new.ini");
    EXPECT_EQ(dialogs.Texts(), QStringList{"Restart the Application !!"});
}

class UrlCatcher : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) { opened << url; }

public:
    QList<QUrl> opened;
};

TEST_F(HandsetAppTest, HelpOpensTheReadMeHereElseTheInstalledOne) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    app.WinHelp();
    WriteText((other.path() + "/Readme.txt").toStdString(), "read me\n");
    DataFolder::Override(other.path());
    app.WinHelp();
    WriteText((work.path() + "/Readme.txt").toStdString(), "read me\n");
    app.WinHelp();
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.opened.size(), 3);
    // Missing everywhere: asked for anyway, and nothing is shown.
    EXPECT_EQ(catcher.opened[0].toLocalFile(), QDir(work.path()).absoluteFilePath("Readme.txt"));
    EXPECT_EQ(catcher.opened[1].toLocalFile(),
              QFileInfo(other.path()).canonicalFilePath() + "/Readme.txt");
    EXPECT_EQ(catcher.opened[2].toLocalFile(), QDir(work.path()).absoluteFilePath("Readme.txt"));
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace

#include "handsetapp_test.moc"
