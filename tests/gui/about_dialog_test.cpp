// The version dialog and its text.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

#include "common/ui/AboutDlg.h"

namespace {

TEST(AboutDialog, VersionTextIsProductSpaceVerDotVersion) {
    EXPECT_EQ(VersionText(), QString("Telvoxa Ver.1.06"));
    EXPECT_EQ(FormatVersionText("名前", "2.0%s"), QString("名前 Ver.2.0%s"));
    EXPECT_EQ(FormatVersionText("", ""), QString(" Ver."));
}

TEST(AboutDialog, ShowsTheVersionMemberTheIconAndClosesWithOk) {
    QPixmap fallback(16, 16);
    fallback.fill(Qt::red);
    QApplication::setWindowIcon(QIcon(fallback));

    CAboutDlg dlg;
    EXPECT_TRUE(dlg.m_strVersion.isEmpty());
    dlg.m_strVersion = VersionText();
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QString("ﾊﾞｰｼﾞｮﾝ情報"));
    auto* text = dlg.findChild<QLabel*>("1020");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), QString("Telvoxa Ver.1.06"));

    bool iconShown = false;
    for (auto* label : dlg.findChildren<QLabel*>()) {
        iconShown = iconShown || !label->pixmap().isNull();
    }
    EXPECT_TRUE(iconShown);

    auto* ok = dlg.findChild<QPushButton*>("1");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QString("OK"));
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
}

}  // namespace
