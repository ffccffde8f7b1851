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

#include "app/ui/SettingsDlg.h"
#include "support/PhonePty.h"
#include "support/gui/ModalScript.h"
#include "support/gui/QtPrinters.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/TempProfile.h"
#include "support/gui/TestSkin.h"
#include "textpad/CharConvert.h"

namespace {

// The phone's dial codes for a text of digits.
std::vector<uint8_t> Codes(const std::string& digits) {
    std::vector<uint8_t> out;
    for (char c : digits) out.push_back(DialCharToCode(std::string(1, c)));
    return out;
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::tm FixedTime(int minute) {
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_wday = 2;
    t.tm_hour = 9;
    t.tm_min = minute;
    return t;
}

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
        startPeriod = window->IsMonitoring() ? window->MonitorPeriod() : -1;
        window->StopMonitor();
        return window;
    }

    static QString Text(CHandsetDlg& window, int id) { return window.TextControl(id)->text(); }

    QTemporaryDir dir;
    CHandsetApp app;
    PhonePty pty;
    ScriptedDialogs dialogs;
    std::tm now = FixedTime(7);
    int startPeriod = -1;
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
    EXPECT_EQ(window->m_rcButton[BTN_SEND].right, 3);
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

    // Then the phone is put on hook, the window is idle with picture 1, and
    // the timer runs with the default period.
    EXPECT_EQ(pty.Received(), std::vector<uint8_t>{0xA6});
    EXPECT_EQ(window->m_nCallState, CALL_IDLE);
    EXPECT_TRUE(window->m_bAppendDigits);
    EXPECT_EQ(app.m_strPictureFile, SkinPath("pic1.bmp"));
    EXPECT_EQ(window->m_bmpPicture.size(), QSize(3, 2));
    EXPECT_EQ(startPeriod, 250);
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
    EXPECT_TRUE(window->m_bmpPicture.isNull());
    EXPECT_TRUE(app.m_strPictureFile.isEmpty());
}

TEST_F(HandsetWindowTest, MonitoringPeriodFollowsTheProfileButNeverBelowTenMilliseconds) {
    const std::pair<int, int> cases[] = {{0, 10}, {-5, 10}, {9, 10}, {10, 10}, {300, 300}};
    for (auto [stored, period] : cases) {
        Profile::WriteProfileInt("connection", "mon_interval", stored);
        auto window = Start();
        EXPECT_EQ(window->m_nMonitorInterval, stored);
        EXPECT_EQ(startPeriod, period) << stored;
    }
}

struct TickRow {
    const char* name;
    int state;
    std::vector<uint8_t> phone;
    int nextState;
    const char* display1;  // nullptr: as before the tick
    const char* display2;
    const char* display3;
    const char* antenna;
    int picture;  // 0 none, 1, 2
    bool append;
};

TEST_F(HandsetWindowTest, EachStateAnswersThePhonesBytes) {
    const std::vector<uint8_t> blocks = {0xE1, 1, 2, 3, 0xE7, 4, 5};
    const TickRow rows[] = {
        {"idle, call without number",
         CALL_IDLE,
         {0xA5, 0x41},
         CALL_RECEIVING,
         "Receiving...",
         "Not Notified",
         "",
         nullptr,
         2,
         true},
        {"idle, placing a call",
         CALL_IDLE,
         {0x26},
         CALL_SENDING,
         nullptr,
         nullptr,
         nullptr,
         nullptr,
         0,
         false},
        {"idle, off hook",
         CALL_IDLE,
         {0x21},
         CALL_OFFHOOK,
         nullptr,
         nullptr,
         nullptr,
         nullptr,
         0,
         false},
        {"idle, status",
         CALL_IDLE,
         {0xC5},
         CALL_IDLE,
         "03/05(Tue) 09:07",
         nullptr,
         nullptr,
         "**",
         1,
         false},
        {"idle, out of service",
         CALL_IDLE,
         {0x81},
         CALL_IDLE,
         "03/05(Tue) 09:07",
         nullptr,
         nullptr,
         "No Service",
         1,
         false},
        {"idle, unknown status",
         CALL_IDLE,
         {0x55},
         CALL_IDLE,
         "03/05(Tue) 09:07",
         nullptr,
         nullptr,
         "",
         1,
         false},
        {"off hook, dialling",
         CALL_OFFHOOK,
         {0x26},
         CALL_SENDING,
         nullptr,
         nullptr,
         nullptr,
         nullptr,
         2,
         false},
        {"off hook, ended",
         CALL_OFFHOOK,
         {0x20, 0x41},
         CALL_IDLE,
         nullptr,
         "",
         "",
         nullptr,
         1,
         true},
        {"off hook, nothing new",
         CALL_OFFHOOK,
         {0xC5},
         CALL_OFFHOOK,
         "Off Hook",
         nullptr,
         nullptr,
         nullptr,
         2,
         false},
        {"sending, connected",
         CALL_SENDING,
         {0xA7},
         CALL_ONLINE,
         nullptr,
         nullptr,
         nullptr,
         nullptr,
         2,
         false},
        {"sending, ended", CALL_SENDING, {0xE7}, CALL_IDLE, nullptr, "", "", nullptr, 1, true},
        {"sending, nothing new",
         CALL_SENDING,
         {0x41},
         CALL_SENDING,
         "Sending...",
         nullptr,
         nullptr,
         nullptr,
         2,
         false},
        {"ringing, ended",
         CALL_RECEIVING,
         {0xA4, 0xA6},
         CALL_IDLE,
         nullptr,
         "",
         "",
         nullptr,
         1,
         true},
        {"ringing, answered",
         CALL_RECEIVING,
         {0xA7},
         CALL_ONLINE,
         nullptr,
         nullptr,
         "",
         nullptr,
         0,
         true},
        {"ringing, held",
         CALL_RECEIVING,
         {0xA4, 0x83},
         CALL_HOLDING,
         nullptr,
         nullptr,
         "",
         nullptr,
         0,
         true},
        {"ringing, nothing new",
         CALL_RECEIVING,
         {0x41},
         CALL_RECEIVING,
         "Receiving...",
         nullptr,
         nullptr,
         nullptr,
         2,
         false},
        {"on line, ended with charge", CALL_ONLINE,
         Join({{0xA6, 0xE2}, Codes("120"), {0xAA}, blocks}), CALL_IDLE, nullptr, "", "Charge ¥120",
         nullptr, 2, false},
        {"on line, ended without charge", CALL_ONLINE,
         Join({{0xA6, 0x41, 0x41, 0x41, 0x41}, blocks}), CALL_IDLE, nullptr, "", "Cahrge ¥???",
         nullptr, 2, false},
        {"on line, status",
         CALL_ONLINE,
         {0xC9},
         CALL_ONLINE,
         "On Line",
         nullptr,
         nullptr,
         "***",
         2,
         false},
        {"holding, resumed",
         CALL_HOLDING,
         {0x82, 0xA7},
         CALL_ONLINE,
         nullptr,
         nullptr,
         "",
         nullptr,
         0,
         true},
        {"holding, ended",
         CALL_HOLDING,
         {0x82, 0x41},
         CALL_IDLE,
         nullptr,
         "",
         "",
         nullptr,
         1,
         true},
        {"holding, nothing new",
         CALL_HOLDING,
         {0x41},
         CALL_HOLDING,
         "Holding",
         nullptr,
         nullptr,
         nullptr,
         2,
         false},
    };
    auto window = Start();
    pty.Received();
    for (const TickRow& row : rows) {
        SCOPED_TRACE(row.name);
        window->m_nCallState = row.state;
        window->m_strDisplay1 = "status";
        window->m_strDisplay2 = "name";
        window->m_strDisplay3 = "0123";
        window->m_strAntenna = "*";
        window->m_bAppendDigits = false;
        window->SetPicture(row.state == CALL_IDLE ? 1 : 2);
        window->UpdateData(false);

        ASSERT_TRUE(pty.Send(row.phone));
        window->OnTimer(MONITOR_TIMER_ID);

        EXPECT_EQ(window->m_nCallState, row.nextState);
        EXPECT_EQ(Text(*window, 1004), QString::fromUtf8(row.display1 ? row.display1 : "status"));
        EXPECT_EQ(Text(*window, 1005), QString::fromUtf8(row.display2 ? row.display2 : "name"));
        EXPECT_EQ(Text(*window, 1008), QString::fromUtf8(row.display3 ? row.display3 : "0123"));
        EXPECT_EQ(Text(*window, 1019), QString::fromUtf8(row.antenna ? row.antenna : "*"));
        const QString pictures[] = {QString(), SkinPath("pic1.bmp"), SkinPath("pic2.bmp")};
        EXPECT_EQ(app.m_strPictureFile, pictures[row.picture]);
        EXPECT_EQ(window->m_bmpPicture.isNull(), row.picture == 0);
        EXPECT_EQ(window->m_bAppendDigits, row.append);
        // Nothing may be left over for the next row.
        EXPECT_TRUE(pty.Received(0).empty());
    }
}

TEST_F(HandsetWindowTest, ASilentPhoneShowsNoConnectionWithTheClock) {
    auto window = Start();
    window->OnTimer(MONITOR_TIMER_ID);
    EXPECT_EQ(Text(*window, 1019), "No Connection");
    EXPECT_EQ(Text(*window, 1004), "03/05(Tue) 09:07");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(HandsetWindowTest, AnIdleTickRepaintsOnlyWhenSignalOrClockChanged) {
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
        window->OnTimer(MONITOR_TIMER_ID);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return counter.paints;
    };
    EXPECT_GT(tick(0xC5), 0);
    EXPECT_EQ(tick(0xC5), 0);
    EXPECT_GT(tick(0xC9), 0);
    now = FixedTime(8);
    EXPECT_GT(tick(0xC9), 0);
    EXPECT_EQ(Text(*window, 1004), "03/05(Tue) 09:08");
    window->removeEventFilter(&counter);
}

TEST_F(HandsetWindowTest, AnIncomingCallNamesTheFirstMatchingRecordAndComesToTheFront) {
    auto add = [&](const char* name, const char* reading, const char* number) {
        auto record = std::make_unique<CMemoryDial>();
        record->m_strName = name;
        record->m_strReading = reading;
        record->m_strNumber[0] = number;
        app.m_phoneBook.m_records[app.m_phoneBook.m_nRecords++] = std::move(record);
    };
    add("Other", "", "0311112222");
    add("First", "", "0312345678");
    add("Second", "", "0312345678");
    add("", "\xD6\xCE\xDF", "0900000000");  // only a reading: ﾖﾎﾟ
    auto window = Start();
    window->move(40, 50);
    window->show();
    const WId native = window->winId();
    window->hide();

    pty.Send(Join({{0xA5, 0xE0}, Codes("0312345678"), {0xAA}}));
    window->OnTimer(MONITOR_TIMER_ID);
    EXPECT_EQ(Text(*window, 1005), "First");
    EXPECT_EQ(Text(*window, 1008), "0312345678");
    EXPECT_EQ(Text(*window, 1004), "Receiving...");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->pos(), QPoint(40, 50));
    // The same native window, now told to stay on top (tools that track the
    // window by its id keep finding it).
    EXPECT_EQ(window->winId(), native);
    EXPECT_TRUE(window->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE((window->mask() ^ window->m_rgnWindow).isEmpty());

    window->m_nCallState = CALL_IDLE;
    pty.Send(Join({{0xA5, 0xE0}, Codes("0900000000"), {0xAA}}));
    window->OnTimer(MONITOR_TIMER_ID);
    EXPECT_EQ(Text(*window, 1005), QStringLiteral("ﾖﾎﾟ"));

    // An unknown number leaves the name line as it was.
    window->m_nCallState = CALL_IDLE;
    pty.Send(Join({{0xA5, 0xE0}, Codes("999"), {0xAA}}));
    window->OnTimer(MONITOR_TIMER_ID);
    EXPECT_EQ(Text(*window, 1005), QStringLiteral("ﾖﾎﾟ"));
    EXPECT_EQ(Text(*window, 1008), "999");
}

struct BadBitmap {
    const char* name;
    std::function<std::vector<uint8_t>()> bytes;  // empty result: no file
};

TEST_F(HandsetWindowTest, ABitmapThatCannotBeReadEndsTheWindowAsConfirmed) {
    const BadBitmap cases[] = {
        {"missing", [] { return std::vector<uint8_t>{}; }},
        {"truncated",
         [] {
             auto b = MakeBmpFromRows(TestSkinRows());
             b.resize(b.size() - 5);
             return b;
         }},
        {"shorter than its headers", [] { return std::vector<uint8_t>(30, 0); }},
        {"8 bits per pixel",
         [] {
             return MakeBmp8(4, 4, {{1, 1, 1}}, [](int, int) { return uint8_t(0); });
         }},
        {"compressed",
         [] {
             auto b = MakeBmpFromRows(TestSkinRows());
             PutLe32(b, 30, 1);
             return b;
         }},
        {"oversized width",
         [] {
             auto b = MakeBmpFromRows(TestSkinRows());
             PutLe32(b, 18, 0x7FFFFFFF);
             return b;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(SkinPath("bad.bmp"));
        const auto bytes = c.bytes();
        if (!bytes.empty()) WriteBytes(SkinPath("bad.bmp").toStdString(), bytes);
        WriteText(SkinPath("bad.ini").toStdString(), "BMPFILE = bad.bmp\n");
        ASSERT_TRUE(app.OpenSkinFile(SkinPath("bad.ini")));
        dialogs.messages.clear();
        CHandsetDlg window(nullptr, CommDeviceFactory{}, [this] { return now; });
        EXPECT_EQ(window.DoModal(), IDOK);
        EXPECT_EQ(dialogs.Texts(), QStringList{"BMP File Open Error !!"});
        EXPECT_FALSE(window.isVisible());
        EXPECT_FALSE(window.IsMonitoring());
        EXPECT_TRUE(pty.Received(0).empty());  // the port was never opened
    }
}

TEST_F(HandsetWindowTest, AnEmptyBitmapNameLoadsDefaultBmpAndNoOpaquePixelKeepsTheRectangle) {
    WriteBytes(SkinPath("default.bmp").toStdString(), MakeBmpFromRows({"...", "..."}));
    WriteText(SkinPath("default.ini").toStdString(), "BMPFILE =\n");
    auto window = Start();
    EXPECT_EQ(app.m_strBitmapFile, SkinPath("default.bmp"));
    EXPECT_EQ(window->size(), QSize(3, 2));
    EXPECT_TRUE(window->mask().isEmpty());
    EXPECT_TRUE(window->m_bmpPicture.isNull());  // no PICTURE1: no picture, no message
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

TEST_F(ReconnectionTest, AFailedOpenAtStartUpAsksForSettingsUntilAPortOpens) {
    ModalScript<CSettingsDlg> settings;
    settings.Then([](CSettingsDlg* d) {
        EXPECT_NE(d->findChild<QPushButton*>("3"), nullptr);
        Choose(d, -1, "1");  // COM1 again: still no port
    });
    settings.Then([](CSettingsDlg* d) { Choose(d, 1, "1"); });
    CHandsetDlg window(nullptr, CommDeviceFactory{}, [this] { return now; });
    EXPECT_TRUE(window.OnInitDialog());
    EXPECT_EQ(dialogs.Texts(), (QStringList{"COM Port Open Error !!", "Init Connection Again !!"}));
    EXPECT_EQ(settings.Shown(), 2);
    EXPECT_EQ(window.m_link.m_port, 1);
    EXPECT_EQ(Profile::GetProfileInt("connection", "port", 0), 1);
    EXPECT_EQ(pty.Received(), std::vector<uint8_t>{0xA6});
    EXPECT_TRUE(window.IsMonitoring());
    EXPECT_EQ(window.m_nCallState, CALL_IDLE);
}

TEST_F(ReconnectionTest, TheQuitButtonEndsTheProgramInsteadOfRetrying) {
    ModalScript<CSettingsDlg> settings;
    settings.Then([](CSettingsDlg* d) { Choose(d, 1, "3"); });
    CHandsetDlg window(nullptr, CommDeviceFactory{}, [this] { return now; });
    EXPECT_EQ(window.DoModal(), IDOK);
    EXPECT_EQ(dialogs.Texts(), QStringList{"COM Port Open Error !!"});
    EXPECT_EQ(settings.Shown(), 1);
    EXPECT_FALSE(window.IsMonitoring());
    EXPECT_TRUE(pty.Received(0).empty());
    EXPECT_FALSE(ProfileHas("connection", "port"));
}

TEST_F(ReconnectionTest, TheSettingsCommandActsOnlyWhenIdleAndReopensWithTheDialogsValues) {
    Profile::WriteProfileInt("connection", "port", 1);
    auto window = Start();
    window->StartMonitor();
    ModalScript<CSettingsDlg> settings;

    window->m_nCallState = CALL_ONLINE;
    window->OnSettings();
    QTest::qWait(30);
    EXPECT_EQ(settings.Shown(), 0);
    EXPECT_TRUE(window->IsMonitoring());

    window->m_nCallState = CALL_IDLE;
    pty.Received();
    // Cancel after changing only the list: the profile's port again.
    settings.Then([](CSettingsDlg* d) {
        d->findChild<QComboBox*>("1009")->setCurrentIndex(0);
        QTest::mouseClick(d->findChild<QPushButton*>("2"), Qt::LeftButton);
    });
    Profile::WriteProfileInt("connection", "mon_interval", 0);
    window->OnSettings();
    EXPECT_EQ(settings.Shown(), 1);
    EXPECT_EQ(window->m_link.m_port, 1);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(window->IsMonitoring());
    EXPECT_EQ(window->MonitorPeriod(), 10);
    window->StopMonitor();
    // The port is open again: the phone's bytes reach the window.
    pty.Send({0xCD});
    window->OnTimer(MONITOR_TIMER_ID);
    EXPECT_EQ(Text(*window, 1019), "****");
}

TEST_F(HandsetWindowTest, TeardownStopsTheTimerAndClosesThePort) {
    auto window = Start();
    window->StartMonitor();
    window->OnDestroy();
    EXPECT_FALSE(window->IsMonitoring());
    EXPECT_FALSE(window->m_link.Device().IsOpen());
}

}  // namespace
