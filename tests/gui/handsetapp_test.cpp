#include "app/ui/HandsetApp.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <optional>

#include "app/ui/DataFolder.h"
#include "common/ui/ProfilePorts.h"
#include "handset/ui/HandsetDlg.h"
#include "platform/posix/PosixCommDevice.h"
#include "support/PhoneBookWriter.h"
#include "support/PhonePty.h"
#include "support/gui/QtPrinters.h"
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
    // The skin file is let go; the lock stays with this instance while it
    // lives, so that no second one starts as this one shuts down.
    EXPECT_FALSE(app.m_skinFile.IsOpen());
    InstanceLock next;
    EXPECT_EQ(next.Acquire(INSTANCE_MUTEX_NAME), InstanceLock::Outcome::HeldElsewhere);
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

// Bad skins: the message says which file and why, the handset starts with
// the default skin, and a bad bitmap leaves the user's choice in the profile,
// so the next start does the same rather than ending.
TEST_F(HandsetAppTest, ABadSkinStartsWithTheDefaultSkinAndSaysWhy) {
    WriteTestSkin(work.path());
    const QString red = other.path() + "/red/red.ini";
    const QString big = other.path() + "/big.ini";
    WriteTestSkin(other.path() + "/red", "red.ini", "BMPFILE = missing.bmp\n");
    WriteText(big.toStdString(), "BMPFILE = body.bmp\n" + std::string(1 << 20, '#'));
    const struct {
        QString stored;
        QString message;
        QString storedAfter;
    } cases[] = {
        {red,
         "BMP File Open Error !!\n" + other.path() +
             "/red/missing.bmp: No such file or directory\nStarting with the default skin.",
         red},
        {big,
         "ini File Open Error !!\n" + big +
             ": larger than 1 MB, more than any skin settings file\nStarting with the default "
             "skin.",
         "default.ini"},
    };
    for (const auto& c : cases) {
        for (int start = 1; start <= 2; ++start) {
            SCOPED_TRACE(c.stored.toStdString() + " start " + std::to_string(start));
            Profile::WriteProfileString("ini", "inifile", c.stored);
            dialogs.messages.clear();
            shown = false;
            RunAndQuit();
            EXPECT_TRUE(shown);
            EXPECT_EQ(dialogs.Texts(), QStringList{c.message});
            EXPECT_EQ(QFileInfo(app.m_strBitmapFile).canonicalFilePath(),
                      QFileInfo(work.path() + "/body.bmp").canonicalFilePath());
            EXPECT_EQ(Profile::GetProfileString("ini", "inifile", "?"), c.storedAfter);
        }
    }
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
    EXPECT_EQ(dialogs.Texts(),
              QStringList{"ini File Open Error !!\ndefault.ini: No such file or directory"});
    EXPECT_EQ(Profile::GetProfileString("ini", "inifile", "?"), "gone.ini");
    EXPECT_FALSE(ProfileHas("ini", "mdd"));
}

TEST_F(HandsetAppTest, ASecondInstanceIsRefusedBeforeAnythingElse) {
    WriteTestSkin(work.path());
    InstanceLock first;
    ASSERT_EQ(first.Acquire(INSTANCE_MUTEX_NAME), InstanceLock::Outcome::Held);
    RunAndQuit();
    EXPECT_FALSE(shown);
    EXPECT_EQ(dialogs.Texts(), QStringList{"Already Running !!"});
    EXPECT_FALSE(app.m_skinFile.IsOpen());
    EXPECT_FALSE(ProfileHas("ini", "inifile"));
}

TEST_F(HandsetAppTest, WithoutAnyPlaceForTheLockItStartsAndWarnsOnce) {
    WriteTestSkin(work.path());
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const std::optional<QByteArray> temp =
        qEnvironmentVariableIsSet("TMPDIR") ? std::optional(qgetenv("TMPDIR")) : std::nullopt;
    // No runtime folder, and a file where the private folder would be made.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(other.path() + "/missing"));
    QFile notAFolder(other.path() + "/tmp");
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    qputenv("TMPDIR", QFile::encodeName(notAFolder.fileName()));

    ::testing::internal::CaptureStderr();
    RunAndQuit();
    const QString err = QString::fromStdString(::testing::internal::GetCapturedStderr());
    qputenv("XDG_RUNTIME_DIR", runtime);
    if (temp)
        qputenv("TMPDIR", *temp);
    else
        qunsetenv("TMPDIR");

    EXPECT_TRUE(shown);
    EXPECT_TRUE(dialogs.messages.empty());
    const QStringList ours = err.split('\n').filter(QRegularExpression("^telvoxa: "));
    ASSERT_EQ(ours.size(), 1) << err.toStdString();
    EXPECT_TRUE(ours[0].contains("warning")) << err.toStdString();
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

TEST_F(HandsetAppTest, PortNamesAreDevicePathsFromThePortsSection) {
    EXPECT_EQ(ProfilePortPath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(ProfilePortPath("COM9"), "/dev/ttyS8");
    Profile::WriteProfileString("ports", "COM2", "/dev/ttyUSB0");
    EXPECT_EQ(ProfilePortPath("COM2"), "/dev/ttyUSB0");
    EXPECT_EQ(ProfilePortPath("COM3"), "/dev/ttyS2");

    Profile::WriteProfileString("ports", "COM4", QString::fromStdString(pty.SlavePath()));
    // Resolved here, on the window's thread; the device only looks them up.
    auto paths = std::make_shared<PortPaths>(ProfilePortPaths());
    EXPECT_EQ(paths->size(), 9u);
    EXPECT_EQ(paths->at("COM2"), "/dev/ttyUSB0");
    auto device = MakeProfileCommDevice(paths);
    Profile::WriteProfileString("ports", "COM4", "/dev/telvoxa-none");
    EXPECT_TRUE(device->Open("COM4"));
    EXPECT_TRUE(device->Close());
}

TEST_F(HandsetAppTest, ChoosingASkinFileTakesEffectOnlyThroughTheProfile) {
    dialogs.fileAnswers.push_back(std::nullopt);
    dialogs.fileAnswers.push_back(QStringLiteral("/skins/new.ini"));
    app.m_strSkinFile = "default.ini";
    app.ChooseSkinFile();
    EXPECT_EQ(app.m_strSkinFile, "default.ini");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.lastSuffix, ".ini");
    EXPECT_EQ(dialogs.lastFilters, (QStringList{"INI Files (*.ini)", "All Files (*)"}));
    // "All Files" shows names without a dot as well.
    const QString all = dialogs.lastFilters.last();
    const QString pattern = all.mid(all.indexOf('(') + 1).chopped(1);
    EXPECT_TRUE(QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
                    .match("skin")
                    .hasMatch());
    app.ChooseSkinFile();
    EXPECT_EQ(app.m_strSkinFile, "/skins/new.ini");
    EXPECT_EQ(dialogs.Texts(), QStringList{"Restart the Application !!"});
}

std::string Book(int records) {
    std::vector<CMemoryDial> list(static_cast<size_t>(records));
    for (int i = 0; i < records; ++i) {
        list[size_t(i)].m_strName = "Name" + std::to_string(i);
        list[size_t(i)].m_strNumber[0] = "0300000" + std::to_string(i);
    }
    return PhoneBookBytes(list, {{"Family", ""}});
}

TEST_F(HandsetAppTest, TheStoredPhoneBookIsLoadedAndAFailureIsReportedButKept) {
    WriteTestSkin(work.path());
    const QString good = work.path() + "/book.mdd";
    PhoneBookWriter().Raw(Book(3)).Save(good.toStdString());
    Profile::WriteProfileString("ini", "mdd", good);
    Run([&](CHandsetDlg* w) {
        // Read beside the window: waited for here.
        app.WaitForPhoneBook();
        EXPECT_EQ(app.m_phoneBook.m_nRecords, 3);
        EXPECT_EQ(app.m_phoneBook.m_groupNames[0].first, "Family");
        w->EndDialog(IDOK);
    });
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(app.m_phoneBook.m_nRecords, 0);  // freed at the end
    EXPECT_EQ(Profile::GetProfileString("ini", "mdd", "?"), good);

    const QString gone = work.path() + "/gone.mdd";
    Profile::WriteProfileString("ini", "mdd", gone);
    Run([&](CHandsetDlg* w) {
        app.WaitForPhoneBook();
        w->EndDialog(IDOK);
    });
    EXPECT_TRUE(shown);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "mdd File Open Error !!\n" + gone + ": No such file or directory");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(Profile::GetProfileString("ini", "mdd", "?"), gone);
}

TEST_F(HandsetAppTest, LoadingAPhoneBookReportsEachKindOfFailure) {
    const std::string dir = work.path().toStdString() + "/";
    PhoneBookWriter().Int32(5001).Int32(0).Save(dir + "count.mdd");
    PhoneBookWriter().Raw(Book(4)).Truncate(Book(4).size() - 20).Save(dir + "cut.mdd");
    PhoneBookWriter().Int32(0).Int32(0).Save(dir + "empty.mdd");

    app.LoadPhoneBook(QString::fromStdString(dir + "count.mdd"));
    EXPECT_EQ(
        dialogs.Texts(),
        QStringList{QString::fromStdString("Number of Memory Dial Error !!\n" + dir +
                                           "count.mdd: more than 5000 records; none were read")});
    EXPECT_EQ(dialogs.messages.back().icon, MessageIcon::Stop);
    EXPECT_EQ(app.m_phoneBook.m_nRecords, 0);
    EXPECT_EQ(app.m_strPhoneBookFile.toStdString(), dir + "count.mdd");

    // The file broke off in the last record: the ones before it stay.
    dialogs.messages.clear();
    app.LoadPhoneBook(QString::fromStdString(dir + "cut.mdd"));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(dialogs.messages[0].text.contains("cut.mdd"))
        << dialogs.messages[0].text.toStdString();
    EXPECT_EQ(dialogs.messages[1].text, "File Exception !!");
    EXPECT_EQ(dialogs.messages[1].icon, MessageIcon::Stop);
    EXPECT_EQ(app.m_phoneBook.m_nRecords, 3);

    dialogs.messages.clear();
    app.LoadPhoneBook(QString::fromStdString(dir + "empty.mdd"));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(app.m_phoneBook.m_nRecords, 0);
}

TEST_F(HandsetAppTest, AnEmptyPathAsksForTheFileAndCancellingLeavesNoPhoneBook) {
    const QString path = work.path() + "/chosen.mdd";
    PhoneBookWriter().Raw(Book(2)).Save(path.toStdString());
    dialogs.fileAnswers.push_back(path);
    app.LoadPhoneBook(QString());
    EXPECT_EQ(dialogs.lastSuffix, ".mdd");
    EXPECT_EQ(dialogs.lastFilters.value(1), "Memory Dial Data File(*.mdd)");
    EXPECT_EQ(app.m_strPhoneBookFile, path);
    EXPECT_EQ(app.m_phoneBook.m_nRecords, 2);

    dialogs.messages.clear();
    app.LoadPhoneBook(QString());  // nothing queued: cancelled
    EXPECT_EQ(dialogs.fileDialogsShown, 2);
    EXPECT_TRUE(app.m_strPhoneBookFile.isEmpty());
    EXPECT_EQ(app.m_phoneBook.m_nRecords, 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(HandsetAppTest, ABookChosenFromTheMenuSaysHowManyEntriesCame) {
    const std::string dir = work.path().toStdString() + "/";
    PhoneBookWriter().Raw(Book(4)).Save(dir + "whole.mdd");
    PhoneBookWriter().Raw(Book(4)).Truncate(Book(4).size() - 20).Save(dir + "cut.mdd");
    PhoneBookWriter().Int32(0).Int32(0).Save(dir + "empty.mdd");
    struct Case {
        const char* file;
        QString last;  // the last message; empty: none
    };
    const Case cases[] = {
        {"whole.mdd", "Entries read from whole.mdd: 4."},
        {"cut.mdd", "Entries read from cut.mdd: only 3; reading stopped at "},
        {"empty.mdd", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        dialogs.messages.clear();
        dialogs.fileAnswers.push_back(QString::fromStdString(dir + c.file));
        app.LoadPhoneBook(QString());
        if (c.last.isEmpty()) {
            EXPECT_TRUE(dialogs.messages.empty());
            continue;
        }
        ASSERT_FALSE(dialogs.messages.empty());
        EXPECT_TRUE(dialogs.messages.back().text.startsWith(c.last))
            << dialogs.messages.back().text.toStdString();
        EXPECT_EQ(dialogs.messages.back().icon, MessageIcon::Information);
    }
    // The book of the start, or one read again, is not announced.
    dialogs.messages.clear();
    app.LoadPhoneBook(QString::fromStdString(dir + "whole.mdd"));
    EXPECT_TRUE(dialogs.messages.empty());
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
