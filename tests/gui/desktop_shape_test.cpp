// The handset's shape and placement on the two kinds of desktop: one that
// cuts a window's picture to its mask and lets the program place its windows
// (X11), and one that takes the mask as the input region only and places
// windows itself (Wayland), stood in for by OverrideDesktopForTests.

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <memory>
#include <string>

#include "app/ui/HandsetApp.h"
#include "common/ui/DesktopAbilities.h"
#include "common/ui/Profile.h"
#include "handset/ui/HandsetDlg.h"
#include "support/FakeCommDevice.h"
#include "support/PhoneBytes.h"
#include "support/gui/FakePortWindow.h"
#include "support/gui/TempProfile.h"
#include "support/gui/TestSkin.h"
#include "textpad/ui/ControlPadDlg.h"

namespace {

constexpr DesktopAbilities kX11{true, true};
constexpr DesktopAbilities kWayland{false, false};

struct Desktop {
    const char* name;
    DesktopAbilities abilities;
};
constexpr Desktop kDesktops[] = {{"X11", kX11}, {"Wayland", kWayland}};

class DesktopShapeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProfile();
        ASSERT_TRUE(dir.isValid());
        WriteTestSkin(dir.path());
    }
    void TearDown() override { OverrideDesktopForTests(std::nullopt); }

    std::unique_ptr<CHandsetDlg> Start(const QString& ini, const Desktop& desktop) {
        OverrideDesktopForTests(desktop.abilities);
        EXPECT_TRUE(app.OpenSkinFile(ini));
        return StartOnFakePort(app, phone);
    }

    QTemporaryDir dir;
    CHandsetApp app;
    FakeCommDevice* phone = nullptr;
};

// Inside a row's shape: from its first to its last pixel that is not of the
// transparent colour; a transparent hole between them stays inside.
bool InRowSpan(const QImage& skin, QRgb transparent, int x, int y) {
    int first = -1, last = -1;
    for (int i = 0; i < skin.width(); ++i) {
        if ((skin.pixel(i, y) & 0xFFFFFF) == (transparent & 0xFFFFFF)) continue;
        if (first < 0) first = i;
        last = i;
    }
    return first >= 0 && x >= first && x <= last;
}

TEST_F(DesktopShapeTest, TheShapeIsTheSkinsOpaquePixelsAndOnlyThoseShowOnEveryDesktop) {
    struct Skin {
        const char* name;
        QString ini;
        QString bitmap;
        QRgb transparent;
    };
    const QString shipped = QStringLiteral(TELVOXA_TEST_DATA "/../../../res/skin/");
    const Skin skins[] = {
        {"shipped", shipped + "default.ini", shipped + "default.bmp", qRgb(255, 0, 255)},
        {"with a hole", dir.path() + "/default.ini", dir.path() + "/body.bmp", qRgb(0, 0, 0)},
    };
    for (const Skin& skin : skins) {
        const QImage bitmap(skin.bitmap);
        ASSERT_FALSE(bitmap.isNull()) << skin.name;
        for (const Desktop& desktop : kDesktops) {
            SCOPED_TRACE(std::string(skin.name) + " skin on " + desktop.name);
            auto window = Start(skin.ini, desktop);
            // The skin alone, without the picture drawn over it; the text
            // areas draw their texts on it.
            window->SetPicture(0);
            QRegion texts;
            for (int id : {IDC_DISPLAY1, IDC_DISPLAY2, IDC_DISPLAY3, IDC_ANTENNA})
                texts += window->TextControl(id)->geometry();
            const QRegion mask = window->mask();
            const QImage shown = window->grab().toImage().convertToFormat(QImage::Format_ARGB32);
            ASSERT_EQ(shown.size(), bitmap.size());
            int wrong = 0;
            for (int y = 0; y < bitmap.height() && wrong < 5; ++y) {
                for (int x = 0; x < bitmap.width() && wrong < 5; ++x) {
                    const bool inside = InRowSpan(bitmap, skin.transparent, x, y);
                    const QRgb pixel = bitmap.pixel(x, y) | 0xFF000000u;
                    // The mask takes the shape; the picture shows the skin in
                    // it and, where the mask does not cut it, nothing outside.
                    const bool picture = texts.contains(QPoint(x, y)) ||
                                         (!inside && !desktop.abilities.masksPicture
                                              ? qAlpha(shown.pixel(x, y)) == 0
                                              : (shown.pixel(x, y) | 0xFF000000u) == pixel);
                    if (mask.contains(QPoint(x, y)) != inside || !picture) {
                        ADD_FAILURE()
                            << "pixel " << x << "," << y << (inside ? " inside" : " outside")
                            << ": mask " << mask.contains(QPoint(x, y)) << ", shown " << std::hex
                            << shown.pixel(x, y) << ", skin " << pixel;
                        ++wrong;
                    }
                }
            }
            EXPECT_EQ(window->testAttribute(Qt::WA_TranslucentBackground),
                      !desktop.abilities.masksPicture);
        }
    }
}

TEST_F(DesktopShapeTest, WhereTheWindowCannotRaiseItselfAnIncomingCallAsksToBeActivated) {
    auto window = Start(dir.path() + "/default.ini", kDesktops[1]);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    phone->Incoming(Join({{0xA5, 0xE0}, Codes("0312345678"), {0xAA}}));
    window->Post([](HandsetSession& session) { session.OnTimer(); });
    window->Flush();
    EXPECT_EQ(window->TextControl(IDC_DISPLAY3)->text(), "0312345678");
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // Asked for all the same, as a hint the compositor may take.
    EXPECT_TRUE(window->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
}

TEST_F(DesktopShapeTest, APositionIsFlooredIntoTheSkinPixelItLiesIn) {
    const struct {
        QPointF position;
        QPoint pixel;
    } rows[] = {
        {{99.5, 74.5}, {99, 74}}, {{99.99, 149.9}, {99, 149}}, {{100.0, 75.0}, {100, 75}},
        {{0.4, 0.6}, {0, 0}},     {{-0.5, -0.01}, {-1, -1}},   {{59.33, 12.67}, {59, 12}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(SkinPixel(row.position), row.pixel)
            << row.position.x() << "," << row.position.y();
}

TEST_F(DesktopShapeTest, WhereTheDesktopPlacesWindowsThePadsStoredPositionIsLeftAlone) {
    for (const Desktop& desktop : kDesktops) {
        SCOPED_TRACE(desktop.name);
        OverrideDesktopForTests(desktop.abilities);
        Profile::WriteProfileInt("pad", "pos_x", 30);
        Profile::WriteProfileInt("pad", "pos_y", 40);
        QPointer<CControlPadDlg> pad = new CControlPadDlg(nullptr);
        const bool restored = pad->pos() == QPoint(30, 40);
        EXPECT_EQ(restored, desktop.abilities.placesWindows);
        pad->show();
        pad->move(70, 80);
        pad->DestroyWindow();
        const QPoint stored(Profile::GetProfileInt("pad", "pos_x", -1),
                            Profile::GetProfileInt("pad", "pos_y", -1));
        EXPECT_EQ(stored, desktop.abilities.placesWindows ? QPoint(70, 80) : QPoint(30, 40));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(pad.isNull());
    }
}

TEST_F(DesktopShapeTest, ThePlatformsNameTellsWhetherTheProgramPlacesItsWindows) {
    const struct {
        const char* platform;
        bool places;
    } rows[] = {{"xcb", true},          {"offscreen", true}, {"wayland", false},
                {"wayland-egl", false}, {"windows", true},   {nullptr, true}};
    for (const auto& row : rows) {
        const DesktopAbilities abilities = DesktopAbilitiesOf(row.platform);
        EXPECT_EQ(abilities.placesWindows, row.places) << (row.platform ? row.platform : "none");
        EXPECT_EQ(abilities.masksPicture, row.places) << (row.platform ? row.platform : "none");
    }
}

}  // namespace
