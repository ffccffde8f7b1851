#include "app/ui/SettingsDlg.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ui/FirstRunSettings.h"
#include "app/ui/UiSeams.h"
#include "platform/posix/PosixCommDevice.h"
#include "platform/posix/SerialDeviceCheck.h"

#include "support/HangGuard.h"
#include "support/PhonePty.h"
#include "support/ScratchDir.h"
#include "support/gui/ModalScript.h"
#include "support/gui/QtPrinters.h"
#include "support/gui/TempProfile.h"

namespace {

namespace fs = std::filesystem;

class SettingsDlgTest : public ::testing::Test {
protected:
    void SetUp() override { ResetProfile(); }

    template <class T>
    static T* Find(QWidget* dialog, const char* id) {
        T* widget = dialog->findChild<T*>(QString::fromLatin1(id));
        EXPECT_NE(widget, nullptr) << id;
        return widget;
    }
    static void Click(QWidget* dialog, const char* id) {
        QTest::mouseClick(Find<QPushButton>(dialog, id), Qt::LeftButton);
    }
    static QComboBox* Device(QWidget* dialog) { return Find<QComboBox>(dialog, "1017"); }
    static QString Status(QWidget* dialog) { return Find<QLabel>(dialog, "1018")->text(); }
    // Types into the device field as the user does.
    static void TypeDevice(QWidget* dialog, const QString& text) {
        QLineEdit* edit = Device(dialog)->lineEdit();
        edit->selectAll();
        edit->insert(text);
    }
    // Waits until the device field's check, due once the field is still, has run.
    static void Settle(QWidget* dialog) {
        auto* timer = Find<QTimer>(dialog, "deviceCheck");
        EXPECT_TRUE(QTest::qWaitFor([&] { return !timer->isActive(); }, 10000));
    }
    static QString PortEntry(int port) {
        return Profile::GetProfileString("ports", QStringLiteral("COM%1").arg(port), "(none)");
    }
    // Runs the dialog modally and lets `act` work on it while it is shown.
    static int Run(CSettingsDlg& dialog, std::function<void(CSettingsDlg*)> act) {
        ModalScript<CSettingsDlg> script;
        script.Then(std::move(act));
        return dialog.exec();
    }
};

TEST_F(SettingsDlgTest, ShowsItsControlsWithTheirTexts) {
    CSettingsDlg dialog;
    dialog.OnInitDialog();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("設定ﾀﾞｲｱﾛｸﾞ"));
    auto* port = Find<QComboBox>(&dialog, "1009");
    ASSERT_EQ(port->count(), 8);
    EXPECT_EQ(port->itemText(0), "COM1");
    EXPECT_EQ(port->itemText(7), "COM8");
    auto* cable = Find<QComboBox>(&dialog, "1010");
    ASSERT_EQ(cable->count(), 8);
    EXPECT_EQ(cable->itemText(0), QStringLiteral("シリアルポート用メモリ編集ケーブル"));
    EXPECT_EQ(cable->itemText(1), QStringLiteral("上記以外のメモリ編集ケーブル"));
    EXPECT_EQ(cable->itemText(7), QStringLiteral("データ通信ケーブル６"));
    EXPECT_EQ(Find<QCheckBox>(&dialog, "1011")->text(), QStringLiteral("発信者番号通知をする(&D)"));
    auto* slider = Find<QSlider>(&dialog, "1015");
    EXPECT_EQ(slider->minimum(), 50);
    EXPECT_EQ(slider->maximum(), 650);
    EXPECT_EQ(slider->tickInterval(), 50);
    EXPECT_EQ(slider->tickPosition(), QSlider::TicksAbove);
    EXPECT_EQ(slider->pageStep(), 50);
    EXPECT_EQ(slider->singleStep(), 1);
    EXPECT_EQ(Find<QPushButton>(&dialog, "1")->text(), "OK");
    EXPECT_EQ(Find<QPushButton>(&dialog, "2")->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(dialog.findChild<QPushButton*>("3"), nullptr);
    QStringList labels;
    for (auto* label : dialog.findChildren<QLabel*>()) labels << label->text();
    EXPECT_TRUE(labels.contains(QStringLiteral("COMポート")));
    EXPECT_TRUE(labels.contains(QStringLiteral("ケーブル種別")));
    EXPECT_TRUE(labels.contains(QStringLiteral("モニタリング間隔(200-300msを推奨)")));
}

TEST_F(SettingsDlgTest, MembersStartUnsetThenAnEmptyProfileGivesTheDefaults) {
    CSettingsDlg dialog;
    EXPECT_EQ(dialog.m_nPort, -1);
    EXPECT_EQ(dialog.m_nCable, -1);
    EXPECT_FALSE(dialog.m_bNumDisp);
    EXPECT_TRUE(dialog.m_strInterval.isEmpty());
    dialog.OnInitDialog();
    EXPECT_EQ(Find<QComboBox>(&dialog, "1009")->currentText(), "COM1");
    EXPECT_EQ(Find<QComboBox>(&dialog, "1010")->currentIndex(), 0);
    EXPECT_FALSE(Find<QCheckBox>(&dialog, "1011")->isChecked());
    EXPECT_EQ(Find<QSlider>(&dialog, "1015")->value(), 250);
    EXPECT_EQ(Find<QLabel>(&dialog, "1016")->text(), "250ms");
    EXPECT_EQ(dialog.m_nInterval, 250);
}

TEST_F(SettingsDlgTest, SliderAtTheFarRightThenOkStoresAllFourValues) {
    Profile::WriteProfileInt("phone", "numdisp", 1);
    CSettingsDlg dialog;
    const int result = Run(dialog, [&](CSettingsDlg* d) {
        Find<QComboBox>(d, "1009")->setCurrentIndex(2);
        Find<QComboBox>(d, "1010")->setCurrentIndex(5);
        Find<QSlider>(d, "1015")->triggerAction(QAbstractSlider::SliderToMaximum);
        EXPECT_EQ(Find<QLabel>(d, "1016")->text(), "650ms");
        Click(d, "1");
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Profile::GetProfileInt("connection", "port", -9), 2);
    EXPECT_EQ(Profile::GetProfileInt("connection", "cable", -9), 5);
    EXPECT_EQ(Profile::GetProfileInt("phone", "numdisp", -9), 1);
    EXPECT_EQ(Profile::GetProfileInt("connection", "mon_interval", -9), 650);
    EXPECT_EQ(dialog.m_nInterval, 650);
}

TEST_F(SettingsDlgTest, CancelStoresNothingAndKeepsTheOpeningValuesUnlessTheSliderMoved) {
    CSettingsDlg dialog;
    // Only the port list changed: the values stay those read at opening.
    int result = Run(dialog, [&](CSettingsDlg* d) {
        Find<QComboBox>(d, "1009")->setCurrentIndex(3);
        Click(d, "2");
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(dialog.m_nPort, 0);
    EXPECT_FALSE(ProfileHas("connection", "port"));

    // The port list, then the slider: the slider movement took in all controls.
    result = Run(dialog, [&](CSettingsDlg* d) {
        Find<QComboBox>(d, "1009")->setCurrentIndex(3);
        Find<QSlider>(d, "1015")->triggerAction(QAbstractSlider::SliderPageStepAdd);
        Click(d, "2");
    });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(dialog.m_nPort, 3);
    EXPECT_EQ(dialog.m_nInterval, 300);
    for (const char* key : {"port", "cable", "mon_interval"})
        EXPECT_FALSE(ProfileHas("connection", key)) << key;
    EXPECT_FALSE(ProfileHas("phone", "numdisp"));
}

// A value out of range (edited by hand) is shown as its default, the hint
// line says what was wrong, and OK stores what is shown.
TEST_F(SettingsDlgTest, OutOfRangeStoredValuesAreTakenAsDefaultsAndSaid) {
    const struct {
        const char* key;
        int stored;
        const char* problem;
    } cases[] = {
        {"port", 99, "The profile's port=99 is outside COM1 to COM8: COM1 is used."},
        {"port", -1, "The profile's port=-1 is outside COM1 to COM8: COM1 is used."},
        {"cable", -5, "The profile's cable=-5 is outside 0 to 7: 0 is used."},
        {"cable", 8, "The profile's cable=8 is outside 0 to 7: 0 is used."},
        {"mon_interval", 2147483647,
         "The profile's mon_interval=2147483647 is outside 50 ms to 650 ms: 250 ms is used."},
        {"mon_interval", 49,
         "The profile's mon_interval=49 is outside 50 ms to 650 ms: 250 ms is used."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + std::to_string(c.stored));
        ResetProfile();
        Profile::WriteProfileInt("connection", c.key, c.stored);
        CSettingsDlg dialog;
        Run(dialog, [&](CSettingsDlg* d) {
            EXPECT_EQ(Find<QComboBox>(d, "1009")->currentIndex(), 0);
            EXPECT_EQ(Find<QComboBox>(d, "1010")->currentIndex(), 0);
            EXPECT_EQ(Find<QSlider>(d, "1015")->value(), 250);
            EXPECT_EQ(Find<QLabel>(d, "1016")->text(), "250ms");
            EXPECT_EQ(Find<QLabel>(d, "1019")->text(), c.problem);
            EXPECT_FALSE(Find<QLabel>(d, "1019")->isHidden());
            Click(d, "1");
        });
        EXPECT_EQ(Profile::GetProfileInt("connection", c.key, -9),
                  std::string(c.key) == "mon_interval" ? 250 : 0);
    }
}

TEST_F(SettingsDlgTest, TheQuitButtonIsOfferedOnRequestAndEndsWithItsOwnCode) {
    CSettingsDlg dialog(nullptr, true);
    const int result = Run(dialog, [&](CSettingsDlg* d) {
        EXPECT_EQ(Find<QPushButton>(d, "3")->text(), QStringLiteral("終了"));
        Click(d, "3");
    });
    EXPECT_EQ(result, CSettingsDlg::IDQUIT);
    EXPECT_FALSE(ProfileHas("connection", "port"));
}

TEST_F(SettingsDlgTest, TheDeviceFieldShowsEachPortsDeviceAndListsThoseFound) {
    PhonePty phone;
    ASSERT_TRUE(phone.IsOpen());
    Profile::WriteProfileString("ports", "COM2", QString::fromStdString(phone.SlavePath()));
    ScratchDir dev;
    dev.Write("ttyUSB0", "");
    dev.Write("ttyACM3", "");
    fs::create_directories(dev.PathOf("serial/by-id"));
    fs::create_symlink("../../ttyUSB0", dev.PathOf("serial/by-id/usb-X-if00-port0"));
    const QString d = QString::fromStdString(dev.Path()) + "/";

    CSettingsDlg dialog;
    dialog.m_strDeviceFolder = QString::fromStdString(dev.Path());
    Run(dialog, [&](CSettingsDlg* dlg) {
        QStringList labels;
        for (auto* label : dlg->findChildren<QLabel*>()) labels << label->text();
        EXPECT_TRUE(labels.contains(QStringLiteral("デバイス")));
        QComboBox* device = Device(dlg);
        EXPECT_TRUE(device->isEditable());
        ASSERT_EQ(device->count(), 3);
        EXPECT_EQ(device->itemText(0), d + "serial/by-id/usb-X-if00-port0 (ttyUSB0)");
        EXPECT_EQ(device->itemText(1), d + "ttyUSB0");
        EXPECT_EQ(device->itemText(2), d + "ttyACM3");

        // The default of COM1, then the profile's entry of COM2, then COM4's default.
        EXPECT_EQ(device->currentText(), "/dev/ttyS0");
        Find<QComboBox>(dlg, "1009")->setCurrentIndex(1);
        EXPECT_EQ(device->currentText(), QString::fromStdString(phone.SlavePath()));
        EXPECT_EQ(Status(dlg), "Ready");
        Find<QComboBox>(dlg, "1009")->setCurrentIndex(3);
        EXPECT_EQ(device->currentText(), "/dev/ttyS3");

        // A listed entry stands for its path.
        device->setCurrentIndex(0);
        emit device->activated(0);
        Settle(dlg);
        EXPECT_EQ(device->currentText(), d + "serial/by-id/usb-X-if00-port0");
        EXPECT_EQ(Status(dlg), "Not a serial device") << "a made-up device is a plain file";
        EXPECT_EQ(dlg->ChosenDevice(), d + "serial/by-id/usb-X-if00-port0");
        Click(dlg, "2");
    });
}

// How OK and Cancel treat the device of the chosen port.
TEST_F(SettingsDlgTest, OkStoresTheChosenPortsDeviceOnlyWhereItChangedCancelNothing) {
    const struct {
        const char* name;
        const char* before;  // COM2's entry before, "" for none
        const char* typed;   // into COM2's field, nullptr to leave it
        const char* button;
        int finalPort;      // 1 is COM2
        const char* after;  // COM2's entry after
    } cases[] = {
        {"untouched", "", nullptr, "1", 1, "(none)"},
        {"typed then OK", "", "/dev/ttyUSB3", "1", 1, "/dev/ttyUSB3"},
        {"typed then Cancel", "", "/dev/ttyUSB3", "2", 1, "(none)"},
        {"the default again removes the entry", "/dev/ttyUSB3", "/dev/ttyS1", "1", 1, "(none)"},
        {"an entry that is the default stays when untouched", "/dev/ttyS1", nullptr, "1", 1,
         "/dev/ttyS1"},
        {"an empty field changes nothing", "/dev/ttyUSB3", "", "1", 1, "/dev/ttyUSB3"},
        {"typed, then another port chosen", "", "/dev/ttyUSB3", "1", 2, "(none)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetProfile();
        if (*c.before != '\0') Profile::WriteProfileString("ports", "COM2", c.before);
        CSettingsDlg dialog;
        Run(dialog, [&](CSettingsDlg* d) {
            Find<QComboBox>(d, "1009")->setCurrentIndex(1);
            if (c.typed != nullptr) TypeDevice(d, c.typed);
            Find<QComboBox>(d, "1009")->setCurrentIndex(c.finalPort);
            Click(d, c.button);
        });
        EXPECT_EQ(PortEntry(2), c.after);
        EXPECT_EQ(PortEntry(3), "(none)");
    }

    // A device typed for a port is kept while other ports are looked at.
    ResetProfile();
    CSettingsDlg dialog;
    Run(dialog, [&](CSettingsDlg* d) {
        Find<QComboBox>(d, "1009")->setCurrentIndex(1);
        TypeDevice(d, "/dev/ttyACM0");
        Find<QComboBox>(d, "1009")->setCurrentIndex(4);
        EXPECT_EQ(Device(d)->currentText(), "/dev/ttyS4");
        Find<QComboBox>(d, "1009")->setCurrentIndex(1);
        EXPECT_EQ(Device(d)->currentText(), "/dev/ttyACM0");
        Click(d, "1");
    });
    EXPECT_EQ(PortEntry(2), "/dev/ttyACM0");
}

TEST_F(SettingsDlgTest, TheStatusLineFollowsEveryChangeAndBadInputNeverHangs) {
    HangGuard guard(60);
    PhonePty phone;
    ASSERT_TRUE(phone.IsOpen());
    ScratchDir dir;
    const std::string file = dir.Write("file", "x");
    fs::create_symlink("b", dir.PathOf("a"));
    fs::create_symlink("a", dir.PathOf("b"));
    const struct {
        QString typed;
        QString status;
    } cases[] = {
        {QString::fromStdString(phone.SlavePath()), "Ready"},
        {"/nonexistent/ttyUSB9", "No such device"},
        {QString::fromStdString(dir.Path()), "Not a serial device"},
        {QString::fromStdString(file), "Not a serial device"},
        {QString::fromStdString(dir.PathOf("a")), "Too many levels of symbolic links"},
        {QString(4096, 'x'), "File name too long"},
        {"", "No such device"},  // the profile's device of COM1
    };
    Profile::WriteProfileString("ports", "COM1", "/nonexistent/ttyS0");
    CSettingsDlg dialog;
    Run(dialog, [&](CSettingsDlg* d) {
        for (const auto& c : cases) {
            TypeDevice(d, c.typed);
            Settle(d);
            EXPECT_EQ(Status(d), c.status) << c.typed.left(60).toStdString();
        }
        TypeDevice(d, QString(4096, 'x'));
        Click(d, "1");
    });
    EXPECT_EQ(PortEntry(1), QString(4096, 'x')) << "what was typed is kept, however odd";
}

TEST_F(SettingsDlgTest, TypingChecksTheDeviceOnceTheFieldIsStillAndExpandsTheHomeFolder) {
    CSettingsDlg dialog;
    std::vector<std::string> checked;
    dialog.m_checkDevice = [&](const std::string& path) {
        checked.push_back(path);
        return DescribeState(DeviceState::Missing);
    };
    const QString home = QDir::homePath();
    Run(dialog, [&](CSettingsDlg* d) {
        EXPECT_EQ(checked, std::vector<std::string>{"/dev/ttyS0"}) << "COM1's device, at once";
        checked.clear();
        // Key by key: "/dev/ttyUSB1" on the way is no device to look at.
        QLineEdit* edit = Device(d)->lineEdit();
        edit->clear();
        for (const QChar key : QStringLiteral("/dev/ttyUSB10")) edit->insert(QString(key));
        EXPECT_TRUE(checked.empty());
        Settle(d);
        EXPECT_EQ(checked, std::vector<std::string>{"/dev/ttyUSB10"});
        TypeDevice(d, "~/phone-link");
        Settle(d);
        EXPECT_EQ(checked.back(), (home + "/phone-link").toStdString());
        EXPECT_EQ(d->ChosenDevice(), home + "/phone-link");
        Click(d, "1");
    });
    EXPECT_EQ(PortEntry(1), home + "/phone-link");
}

// Made-up accounts: root owns the device, the user is in whichever groups a
// case says.
class FakeAccounts : public UserAccounts {
public:
    std::string group;
    bool listed = false;
    bool inProcess = false;
    bool MayReadWrite(const std::string&) const override { return false; }
    std::string UserName(uid_t) const override { return "root"; }
    std::string GroupName(gid_t) const override { return group; }
    bool ProcessInGroup(gid_t) const override { return inProcess; }
    bool ListedInGroup(gid_t) const override { return listed; }
};

TEST_F(SettingsDlgTest, APortWithoutRightsSaysWhatWouldHelp) {
    PhonePty phone;
    ASSERT_TRUE(phone.IsOpen());
    const struct {
        mode_t mode;
        const char* group;
        bool listed;
        bool inProcess;
        const char* status;
    } cases[] = {
        {0660, "dialout", false, false,
         "Permission denied: add your user to the dialout group (root:dialout 0660)"},
        {0600, "root", false, false, "Permission denied (root:root 0600)"},
        {0600, "dialout", false, false, "Permission denied (root:dialout 0600)"},
        {0660, "uucp", false, false, "Permission denied (root:uucp 0660)"},
        {0660, "dialout", true, false,
         "Permission denied: your user is in the dialout group, but this login is not yet: "
         "log in again (root:dialout 0660)"},
        {0660, "dialout", true, true, "Permission denied (root:dialout 0660)"},
    };
    FakeAccounts accounts;
    SetUserAccounts(&accounts);
    Profile::WriteProfileString("ports", "COM1", QString::fromStdString(phone.SlavePath()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        ASSERT_EQ(chmod(phone.SlavePath().c_str(), c.mode), 0);
        accounts.group = c.group;
        accounts.listed = c.listed;
        accounts.inProcess = c.inProcess;
        CSettingsDlg dialog;
        Run(dialog, [&](CSettingsDlg* d) {
            EXPECT_EQ(Status(d), c.status);
            Click(d, "2");
        });
    }
    SetUserAccounts(nullptr);
}

TEST_F(SettingsDlgTest, AFirstStartWithoutAPhoneOnCom1OpensTheSettingsWithAHint) {
    ScratchDir dev;
    dev.Write("ttyUSB0", "");
    const QByteArray oldDevDir = qgetenv("TELVOXA_DEV_DIR");
    qputenv("TELVOXA_DEV_DIR", QByteArray::fromStdString(dev.Path()));
    QFile::remove(QSettings(QSettings::NativeFormat, QSettings::UserScope,
                            QStringLiteral("Orvel Applications"), UiSeams::ApplicationName())
                      .fileName());
    PhonePty phone;
    ASSERT_TRUE(phone.IsOpen());
    const auto on = [](const std::string& path) -> CommDeviceFactory {
        return [path] {
            return std::make_unique<PosixCommDevice>([path](const std::string&) { return path; });
        };
    };
    const CommDeviceFactory missing = on(dev.PathOf("gone"));
    const CommDeviceFactory ready = on(phone.SlavePath());

    ModalScript<CSettingsDlg> script;
    QString hint;
    int listed = 0;
    script.Then([&](CSettingsDlg* d) {
        auto* label = Find<QLabel>(d, "1019");
        hint = label->isVisible() ? label->text() : QString();
        listed = Device(d)->count();
        Click(d, "3");
    });
    EXPECT_TRUE(OfferSettingsOnFirstRun(nullptr, ready)) << "COM1 opens: no dialog";
    EXPECT_FALSE(OfferSettingsOnFirstRun(nullptr, missing)) << "終了 ends the program";
    EXPECT_EQ(hint, FirstRunHint(dev.PathOf("gone") + ": No such device"));
    EXPECT_TRUE(hint.contains("telvoxa-phone --link ~/phone-link")) << hint.toStdString();
    EXPECT_EQ(listed, 1);

    // Not the first start: the window and its own messages come as ever.
    Profile::WriteProfileInt("connection", "port", 0);
    Profile::Sync();
    EXPECT_TRUE(OfferSettingsOnFirstRun(nullptr, missing));
    EXPECT_EQ(script.Shown(), 1);
    qputenv("TELVOXA_DEV_DIR", oldDevDir);
}

// The slider reports every action and release, not only a new value.
TEST_F(SettingsDlgTest, ClickOnTheThumbOrEndAtTheEndTakesTheControlsIn) {
    Profile::WriteProfileInt("connection", "mon_interval", 650);
    CSettingsDlg dialog;
    Run(dialog, [&](CSettingsDlg* d) {
        auto* slider = Find<QSlider>(d, "1015");
        ASSERT_EQ(slider->value(), 650);
        Find<QComboBox>(d, "1009")->setCurrentIndex(4);
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = slider->orientation();
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.sliderPosition = slider->sliderPosition();
        option.sliderValue = slider->value();
        option.tickPosition = slider->tickPosition();
        option.tickInterval = slider->tickInterval();
        option.singleStep = slider->singleStep();
        option.pageStep = slider->pageStep();
        option.state |= QStyle::State_Horizontal;
        const QRect thumb = slider->style()->subControlRect(QStyle::CC_Slider, &option,
                                                            QStyle::SC_SliderHandle, slider);
        QTest::mousePress(slider, Qt::LeftButton, {}, thumb.center());
        EXPECT_TRUE(slider->isSliderDown()) << "the press missed the thumb";
        QTest::mouseRelease(slider, Qt::LeftButton, {}, thumb.center());
        EXPECT_EQ(d->m_nPort, 4) << "the click took the controls in";
        EXPECT_EQ(d->m_nInterval, 650);
        EXPECT_EQ(Find<QLabel>(d, "1016")->text(), "650ms");
        Click(d, "2");
    });
    EXPECT_EQ(dialog.m_nInterval, 650);

    Run(dialog, [&](CSettingsDlg* d) {
        Find<QComboBox>(d, "1009")->setCurrentIndex(5);
        auto* slider = Find<QSlider>(d, "1015");
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_End);
        Click(d, "2");
    });
    EXPECT_EQ(dialog.m_nPort, 5) << "Cancel reopens on the port chosen before End";
    EXPECT_FALSE(ProfileHas("connection", "port"));
}

}  // namespace
