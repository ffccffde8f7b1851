#include "handset/ui/HandsetDlg.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "app/ui/DataFolder.h"
#include "app/ui/SettingsDlg.h"
#include "support/FixedTime.h"
#include "support/PhoneBytes.h"
#include "support/PhonePty.h"
#include "support/SessionAccess.h"
#include "support/gui/LinkWaits.h"
#include "support/gui/ModalScript.h"
#include "support/gui/QtPrinters.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/TempProfile.h"
#include "support/gui/TestSkin.h"

namespace {

class HandsetWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProfile();
        ASSERT_TRUE(dir.isValid());
        WriteTestSkin(dir.path());
        ASSERT_TRUE(pty.IsOpen());
        Profile::WriteProfileString("ports", "COM1", QString::fromStdString(pty.SlavePath()));
    }

    QString SkinPath(const QString& name) const { return dir.path() + "/" + name; }

    // The window after its start-up; ticks are driven by the test.
    std::unique_ptr<CHandsetDlg> Start() {
        EXPECT_TRUE(app.OpenSkinFile(SkinPath("default.ini")));
        auto window =
            std::make_unique<CHandsetDlg>(nullptr, CommDeviceFactory{}, [this] { return now; });
        EXPECT_TRUE(window->OnInitDialog());
        window->StopMonitor();
        window->Flush();
        return window;
    }

    static QString Text(CHandsetDlg& window, int id) { return window.TextControl(id)->text(); }

    QTemporaryDir dir;
    CHandsetApp app;
    PhonePty pty;
    ScriptedDialogs dialogs;
    std::tm now = FixedTime(7);
};

TEST_F(HandsetWindowTest, StartUpShapesTheWindowAndPlacesTheTextAreas) {
    auto window = Start();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(window->size(), QSize(12, 6));
    EXPECT_EQ(window->windowTitle(), "Telvoxa");
    EXPECT_FALSE(window->windowIcon().isNull());
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(app.m_strBitmapFile, SkinPath("body.bmp"));

    // One rectangle per opaque row; the hole in row 2 stays, row 0 adds nothing.
    QRegion expected;
    expected += QRect(2, 1, 8, 1);
    expected += QRect(1, 2, 10, 1);
    expected += QRect(0, 3, 12, 1);
    expected += QRect(2, 4, 8, 1);
    expected += QRect(5, 5, 1, 1);
    EXPECT_TRUE((window->mask() ^ expected).isEmpty()) << window->mask().rectCount();

    // Rectangles normalised and moved one pixel right (DIFF_X).
    EXPECT_EQ(window->TextControl(1004)->geometry(), QRect(1, 0, 10, 2));
    EXPECT_EQ(window->TextControl(1005)->geometry(), QRect(1, 2, 10, 1));
    EXPECT_EQ(window->TextControl(1008)->geometry(), QRect(1, 3, 10, 1));
    EXPECT_EQ(window->TextControl(1019)->geometry(), QRect(1, 4, 4, 2));
    EXPECT_EQ(window->ButtonRect(BTN_SEND).right, 3);
    for (int id : {1004, 1005, 1008}) {
        EXPECT_EQ(window->TextControl(id)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
        EXPECT_TRUE(window->TextControl(id)->wordWrap());
    }
    EXPECT_EQ(window->TextControl(1019)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_EQ(window->TextControl(1004)->font().family(), QStringLiteral("MS ゴシック"));
    EXPECT_EQ(window->TextControl(1004)->font().pointSize(), 9);
    // The Japanese gothic face stands in for it where installed.
    if (QFontDatabase::families().contains(QStringLiteral("IPAGothic"))) {
        EXPECT_EQ(QFontInfo(window->TextControl(1004)->font()).family(), "IPAGothic");
    }

    // Then, on the link thread, the phone is put on hook and the window shows
    // the idle state with picture 1.
    EXPECT_EQ(pty.Received(), std::vector<uint8_t>{0xA6});
    EXPECT_EQ(window->Shown().callState, CALL_IDLE);
    EXPECT_EQ(app.m_strPictureFile, SkinPath("pic1.bmp"));
    EXPECT_EQ(window->Picture().size(), QSize(3, 2));
}

TEST_F(HandsetWindowTest, PaintsTheSkinAndThePictureCutToItsArea) {
    auto window = Start();
    window->show();
    QImage shot = window->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(9, 3)), QColor(200, 200, 200));
    EXPECT_EQ(QColor(shot.pixel(3, 1)), QColor(0, 255, 0));  // picture 1 at the area's corner
    EXPECT_EQ(QColor(shot.pixel(5, 2)), QColor(0, 255, 0));
    // Past the 3-pixel-wide picture: the skin's own (transparent-coloured) hole.
    EXPECT_EQ(QColor(shot.pixel(6, 2)), QColor(0, 0, 0));
    // Picture 2 is 4 x 4; the area is 3 rows high.
    window->SetPicture(2);
    shot = window->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(6, 3)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(shot.pixel(6, 4)), QColor(200, 200, 200));
    window->SetPicture(0);
    EXPECT_TRUE(window->Picture().isNull());
    EXPECT_TRUE(app.m_strPictureFile.isEmpty());
}

// A tick run by hand on the link thread (the ticks are paused), then shown.
void Tick(CHandsetDlg& window) {
    window.Post([](HandsetSession& session) { session.OnTimer(); });
    window.Flush();
}

TEST_F(HandsetWindowTest, TheTextAreasShowEachSnapshotAndRepaintOnlyWhenAsked) {
    auto window = Start();
    window->show();
    QTest::qWait(20);
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    window->installEventFilter(&counter);
    auto tick = [&](uint8_t status) {
        counter.paints = 0;
        pty.Send({status});
        Tick(*window);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return counter.paints;
    };
    EXPECT_GT(tick(0xC5), 0);
    EXPECT_EQ(Text(*window, 1019), "**");
    EXPECT_EQ(Text(*window, 1004), "03/05(Tue) 09:07");
    // The same signal and minute: nothing is painted again.
    EXPECT_EQ(tick(0xC5), 0);
    window->removeEventFilter(&counter);

    // Code page 932 becomes the display's text.
    window->Post([](HandsetSession& session) {
        TestState(session).display3 = "0\x82\x50\x82\x51";  // 0 and a full-width 1 and 2
        session.OnClearButton();
    });
    window->Flush();
    EXPECT_EQ(Text(*window, 1008), QStringLiteral("0１"));
    EXPECT_EQ(window->Shown().display3, "0\x82\x50");
}

TEST_F(HandsetWindowTest, AnIncomingCallBringsTheWindowToTheFrontWhereItWas) {
    auto window = Start();
    window->move(40, 50);
    window->show();
    const WId native = window->winId();
    window->hide();

    pty.Send(Join({{0xA5, 0xE0}, Codes("0312345678"), {0xAA}}));
    Tick(*window);
    QCoreApplication::processEvents();
    EXPECT_EQ(Text(*window, 1008), "0312345678");
    EXPECT_EQ(Text(*window, 1004), "Receiving...");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->pos(), QPoint(40, 50));
    // The same native window, now told to stay on top (tools that track the
    // window by its id keep finding it).
    EXPECT_EQ(window->winId(), native);
    EXPECT_TRUE(window->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(window->mask().isEmpty());
}

struct BadBitmap {
    const char* name;
    std::function<std::vector<uint8_t>()> bytes;  // empty result: no file
    const char* reason;
};

// A skin bitmap that cannot be used: the message names it and says why, and
// without a default skin to stand in the window ends.
TEST_F(HandsetWindowTest, ABitmapThatCannotBeReadEndsTheWindowAsConfirmed) {
    const auto skin = [](int width, int height) {
        return MakeBmp24(width, height, [](int, int) { return TestRgb{1, 2, 3}; });
    };
    const BadBitmap cases[] = {
        {"missing", [] { return std::vector<uint8_t>{}; }, "No such file or directory"},
        {"truncated",
         [] {
             auto b = MakeBmpFromRows(TestSkinRows());
             b.resize(b.size() - 5);
             return b;
         },
         "shorter than its headers say (cut short or damaged)"},
        {"shorter than its headers", [] { return std::vector<uint8_t>(30, 0); },
         "shorter than its headers say (cut short or damaged)"},
        {"8 bits per pixel",
         [] {
             return MakeBmp8(4, 4, {{1, 1, 1}}, [](int, int) { return uint8_t(0); });
         },
         "not a kind of bitmap that can be drawn (a skin must be uncompressed 24-bit, bottom-up)"},
        {"compressed",
         [] {
             auto b = MakeBmpFromRows(TestSkinRows());
             PutLe32(b, 30, 1);
             return b;
         },
         "not a kind of bitmap that can be drawn (a skin must be uncompressed 24-bit, bottom-up)"},
        {"oversized width",
         [] {
             auto b = MakeBmpFromRows(TestSkinRows());
             PutLe32(b, 18, 0x7FFFFFFF);
             return b;
         },
         "a width or height outside 2 to 4096 pixels"},
        {"wider than a window", [&] { return skin(4097, 2); },
         "a width or height outside 2 to 4096 pixels"},
        {"one pixel", [&] { return skin(1, 1); }, "a width or height outside 2 to 4096 pixels"},
    };
    const QString badBmp = SkinPath("bad.bmp");
    WriteText(SkinPath("bad.ini").toStdString(), "BMPFILE = bad.bmp\n");
    // The default skin standing in is the start's (HandsetApp) to check.
    QTemporaryDir noSkins;
    DataFolder::Override(noSkins.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(badBmp);
        const auto bytes = c.bytes();
        if (!bytes.empty()) WriteBytes(badBmp.toStdString(), bytes);
        ASSERT_TRUE(app.OpenSkinFile(SkinPath("bad.ini")));
        dialogs.messages.clear();
        CHandsetDlg window(nullptr, CommDeviceFactory{}, [this] { return now; });
        EXPECT_EQ(window.DoModal(), IDOK);
        EXPECT_EQ(dialogs.Texts(),
                  QStringList{"BMP File Open Error !!\n" + badBmp + ": " + c.reason});
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(pty.Received(0).empty());  // the port was never opened
    }
    DataFolder::Override(QString());
}

TEST_F(HandsetWindowTest, AnEmptyBitmapNameLoadsDefaultBmpAndNoOpaquePixelKeepsTheRectangle) {
    WriteBytes(SkinPath("default.bmp").toStdString(), MakeBmpFromRows({"...", "..."}));
    WriteText(SkinPath("default.ini").toStdString(), "BMPFILE =\n");
    auto window = Start();
    EXPECT_EQ(app.m_strBitmapFile, SkinPath("default.bmp"));
    EXPECT_EQ(window->size(), QSize(3, 2));
    EXPECT_TRUE(window->mask().isEmpty());
    EXPECT_TRUE(window->Picture().isNull());  // no PICTURE1: no picture, no message
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(window->TextControl(1004)->font().pointSize(), 10);
}

class ReconnectionTest : public HandsetWindowTest {
protected:
    void SetUp() override {
        HandsetWindowTest::SetUp();
        Profile::WriteProfileString("ports", "COM1", dir.path() + "/no-such-tty");
        Profile::WriteProfileString("ports", "COM2", QString::fromStdString(pty.SlavePath()));
        ASSERT_TRUE(app.OpenSkinFile(SkinPath("default.ini")));
    }
    static void Choose(CSettingsDlg* d, int port, const char* button) {
        if (port >= 0) d->findChild<QComboBox*>("1009")->setCurrentIndex(port);
        QTest::mouseClick(d->findChild<QPushButton*>(button), Qt::LeftButton);
    }
};

TEST_F(ReconnectionTest, AFailedOpenAtStartUpAsksForSettingsOverTheWindowUntilAPortOpens) {
    ModalScript<CSettingsDlg> settings;
    settings.Then([](CSettingsDlg* d) {
        EXPECT_NE(d->findChild<QPushButton*>("3"), nullptr);
        Choose(d, -1, "1");  // COM1 again: still no port
    });
    settings.Then([](CSettingsDlg* d) { Choose(d, 1, "1"); });
    CHandsetDlg window(nullptr, CommDeviceFactory{}, [this] { return now; });
    EXPECT_TRUE(window.OnInitDialog());
    window.StopMonitor();
    FlushAnswering(window);
    // The open error names the device and why it did not open on its second line.
    ASSERT_EQ(dialogs.Texts().size(), 2);
    EXPECT_TRUE(dialogs.Texts()[0].startsWith("COM Port Open Error !!\n"));
    // The retry's message has the same second line.
    EXPECT_EQ(
        dialogs.Texts()[1],
        QString(dialogs.Texts()[0]).replace("COM Port Open Error !!", "Init Connection Again !!"));
    EXPECT_EQ(settings.Shown(), 2);
    EXPECT_EQ(window.Session().Link().m_port, 1);
    EXPECT_EQ(Profile::GetProfileInt("connection", "port", 0), 1);
    EXPECT_EQ(pty.Received(), std::vector<uint8_t>{0xA6});
    EXPECT_TRUE(window.Session().IsMonitoring());
    EXPECT_EQ(window.Shown().callState, CALL_IDLE);
}

TEST_F(ReconnectionTest, TheQuitButtonEndsTheProgramInsteadOfRetrying) {
    ModalScript<CSettingsDlg> settings;
    settings.Then([](CSettingsDlg* d) { Choose(d, 1, "3"); });
    CHandsetDlg window(nullptr, CommDeviceFactory{}, [this] { return now; });
    EXPECT_EQ(window.DoModal(), IDOK);
    ASSERT_EQ(dialogs.Texts().size(), 1);
    EXPECT_TRUE(dialogs.Texts()[0].startsWith("COM Port Open Error !!\n"));
    EXPECT_EQ(settings.Shown(), 1);
    EXPECT_FALSE(window.Session().IsMonitoring());
    EXPECT_TRUE(pty.Received(0).empty());
    EXPECT_FALSE(ProfileHas("connection", "port"));
}

TEST_F(ReconnectionTest, TheSettingsCommandReopensWithTheDialogsValues) {
    Profile::WriteProfileInt("connection", "port", 1);
    auto window = Start();
    ModalScript<CSettingsDlg> settings;
    pty.Received();
    // Cancel after changing only the list: the profile's port again.
    settings.Then([](CSettingsDlg* d) {
        d->findChild<QComboBox*>("1009")->setCurrentIndex(0);
        QTest::mouseClick(d->findChild<QPushButton*>("2"), Qt::LeftButton);
    });
    // An interval out of range is taken as the default.
    Profile::WriteProfileInt("connection", "mon_interval", 0);
    window->OnSettings();
    FlushAnswering(*window);
    EXPECT_EQ(settings.Shown(), 1);
    EXPECT_EQ(window->Session().Link().m_port, 1);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(window->Session().IsMonitoring());
    EXPECT_EQ(window->Session().MonitorPeriod(), 250);
    // The port is open again: the phone's bytes reach the window.
    pty.Send({0xCD});
    Tick(*window);
    EXPECT_EQ(Text(*window, 1019), "****");
}

TEST_F(HandsetWindowTest, TeardownStopsTheMonitoringAndClosesThePort) {
    auto window = Start();
    window->StartMonitor();
    window->OnDestroy();
    EXPECT_FALSE(window->Session().IsMonitoring());
    EXPECT_FALSE(window->Session().Link().Device().IsOpen());
}

}  // namespace
