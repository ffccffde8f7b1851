#include "app/ui/SettingsDlg.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "support/gui/ModalScript.h"
#include "support/gui/QtPrinters.h"
#include "support/gui/TempProfile.h"

namespace {

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

TEST_F(SettingsDlgTest, OutOfRangeStoredValuesBehaveAsStored) {
    Profile::WriteProfileInt("connection", "port", 99);
    Profile::WriteProfileInt("connection", "cable", 42);
    Profile::WriteProfileInt("connection", "mon_interval", 1000);
    CSettingsDlg dialog;
    Run(dialog, [&](CSettingsDlg* d) {
        // No selection; the slider at its nearest end, the label as stored.
        EXPECT_EQ(Find<QComboBox>(d, "1009")->currentIndex(), -1);
        EXPECT_EQ(Find<QComboBox>(d, "1010")->currentIndex(), -1);
        EXPECT_EQ(Find<QSlider>(d, "1015")->value(), 650);
        EXPECT_EQ(Find<QLabel>(d, "1016")->text(), "1000ms");
        Click(d, "1");
    });
    EXPECT_EQ(Profile::GetProfileInt("connection", "port", 0), -1);
    EXPECT_EQ(Profile::GetProfileInt("connection", "cable", 0), -1);
    EXPECT_EQ(Profile::GetProfileInt("connection", "mon_interval", 0), 1000);

    Profile::WriteProfileInt("connection", "mon_interval", -5);
    Run(dialog, [&](CSettingsDlg* d) {
        EXPECT_EQ(Find<QSlider>(d, "1015")->value(), 50);
        EXPECT_EQ(d->m_nInterval, -5);
        Click(d, "2");
    });
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

}  // namespace
