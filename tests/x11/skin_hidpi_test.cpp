// The handset window on a scaled X11 screen, seen and pressed from outside:
// run by scripts/test-hidpi under Xvfb with QT_QPA_PLATFORM=xcb and
// QT_SCALE_FACTOR 1, 1.5 and 2. The screen is captured with ImageMagick's
// import and pressed with xdotool, in device pixels, as a user would.
//
// The skin is a checkerboard of two far-apart colours, so that a blurred
// picture shows colours no skin pixel has, inside a magenta surround; its
// keys have corners on pixels whose device pixels round the wrong way.

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <QtMath>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/ui/HandsetApp.h"
#include "handset/ui/HandsetDlg.h"
#include "support/FakeCommDevice.h"
#include "support/TestBitmaps.h"
#include "support/gui/TempProfile.h"

namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 150;
constexpr QRgb kTransparent = 0xFFFF00FF;
// Where the window is put, in logical pixels: a whole device pixel at every
// scale tested.
constexpr int kWindowX = 40;
constexpr int kWindowY = 40;

// The shape: each row's span narrows away from the middle row.
int RowLeft(int y) {
    return 5 + std::abs(y - 75) / 6;
}
int RowRight(int y) {  // exclusive
    return 115 - std::abs(y - 75) / 4;
}
bool InShape(int x, int y) {
    return y >= 0 && y < kHeight && x >= RowLeft(y) && x < RowRight(y);
}
QRgb SkinColour(int x, int y) {
    if (!InShape(x, y)) return kTransparent;
    return (x + y) % 2 ? qRgb(230, 40 + x, 30) : qRgb(20, 210, 40 + y);
}

double ScaleFactor() {
    const char* value = std::getenv("QT_SCALE_FACTOR");
    return value ? std::atof(value) : 1.0;
}

class SkinHiDpiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProfile();
        ASSERT_TRUE(dir.isValid());
        const std::string folder = dir.path().toStdString() + "/";
        WriteText(folder + "default.ini",
                  "BMPFILE = body.bmp\n"
                  "TP_R = 255\nTP_G = 0\nTP_B = 255\n"
                  "DISPLAY1 = 30, 0, 31, 1\nDISPLAY2 = 31, 0, 32, 1\n"
                  "DISPLAY3 = 32, 0, 33, 1\nANTENNA = 33, 0, 34, 1\n"
                  "BTN_1 = 30, 20, 50, 35\n"
                  "BTN_5 = 60, 60, 100, 75\n"
                  "BTN_0 = 20, 140, 50, 150\n");
        WriteBytes(folder + "body.bmp", MakeBmp24(kWidth, kHeight, [](int x, int y) {
                       const QRgb c = SkinColour(x, y);
                       return TestRgb{uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c))};
                   }));
        ASSERT_TRUE(app.OpenSkinFile(dir.path() + "/default.ini"));
        window = std::make_unique<CHandsetDlg>(
            app, nullptr,
            [] { return std::unique_ptr<CommDevice>(std::make_unique<FakeCommDevice>()); },
            [] { return std::tm{}; });
        ASSERT_TRUE(window->OnInitDialog());
        window->StopMonitor();
        window->Flush();
        window->move(kWindowX, kWindowY);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // The device pixel where the window's client area begins.
    QPoint DeviceOrigin() const {
        return QPoint(qRound(kWindowX * scale), qRound(kWindowY * scale));
    }

    // The screen as it is now, cut to the window's device pixels.
    QImage Capture() {
        const QString file = dir.path() + "/screen.png";
        const QSize size(qCeil(kWidth * scale), qCeil(kHeight * scale));
        const QPoint origin = DeviceOrigin();
        const int status = QProcess::execute("import", {"-window", "root", "-crop",
                                                        QString("%1x%2+%3+%4")
                                                            .arg(size.width())
                                                            .arg(size.height())
                                                            .arg(origin.x())
                                                            .arg(origin.y()),
                                                        "+repage", "png24:" + file});
        if (status != 0) return {};
        return QImage(file).convertToFormat(QImage::Format_RGB32);
    }

    // Empty when every device pixel of the window shows a skin pixel at or
    // next to its own place (the exact neighbour depends on how the scaled
    // picture is sampled), else the first pixel that does not.
    std::string PictureFault(const QImage& shot) const {
        if (shot.isNull()) return "no capture";
        for (int dy = 0; dy < shot.height(); ++dy) {
            for (int dx = 0; dx < shot.width(); ++dx) {
                const QRgb seen = shot.pixel(dx, dy) | 0xFF000000u;
                if (seen == kTransparent)
                    return "the transparent colour at device pixel " + Where(dx, dy);
                const int sx = qFloor((dx + 0.5) / scale);
                const int sy = qFloor((dy + 0.5) / scale);
                // Only pixels well inside the shape: its edge may show either side.
                bool inside = true;
                bool matches = false;
                for (int ny = sy - 1; ny <= sy + 1; ++ny)
                    for (int nx = sx - 1; nx <= sx + 1; ++nx) {
                        inside = inside && InShape(nx, ny);
                        matches = matches || SkinColour(nx, ny) == seen;
                    }
                if (inside && !matches)
                    return "device pixel " + Where(dx, dy) + " shows " +
                           QColor(seen).name().toStdString() + ", no skin pixel near it";
            }
        }
        return {};
    }

    // The skin's opaque pixels that show nothing of the skin: cut away.
    int CutPixels(const QImage& shot) const {
        int cut = 0;
        for (int sy = 0; sy < kHeight; ++sy)
            for (int sx = 0; sx < kWidth; ++sx) {
                if (!InShape(sx, sy)) continue;
                const QRgb want = SkinColour(sx, sy);
                bool shown = false;
                for (int dy = qCeil(sy * scale); dy < qCeil((sy + 1) * scale); ++dy)
                    for (int dx = qCeil(sx * scale); dx < qCeil((sx + 1) * scale); ++dx)
                        shown = shown ||
                                (shot.valid(dx, dy) && (shot.pixel(dx, dy) | 0xFF000000u) == want);
                cut += shown ? 0 : 1;
            }
        return cut;
    }

    static std::string Where(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }

    QString NumberLine() const { return window->TextControl(IDC_DISPLAY3)->text(); }

    // Clicks the device pixel `device` of the window, then the middle of
    // BTN_1, and waits until the 1 shows: the first click has then been
    // handled too. Gives what the first click put on the number line.
    QString ClickAndRead(QPoint device) {
        window->Post([](HandsetSession& s) { s.OnClearAll(); });
        window->Flush();
        const QPoint at = DeviceOrigin() + device;
        const QPoint one = DeviceOrigin() + QPoint(qFloor(40 * scale), qFloor(27 * scale));
        const int status = QProcess::execute(
            "xdotool",
            {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1",
             "mousemove", QString::number(one.x()), QString::number(one.y()), "click", "1"});
        if (status != 0) return "xdotool failed";
        QDeadlineTimer deadline(10000);
        while (!NumberLine().endsWith('1') && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            window->Flush();
        }
        if (!NumberLine().endsWith('1')) return "the sentinel click never arrived";
        return NumberLine().chopped(1);
    }

    // The first and the last device pixel of skin pixel `x`.
    int FirstDevice(int x) const { return qCeil(x * scale); }
    int LastDevice(int x) const { return qCeil((x + 1) * scale) - 1; }

    const double scale = ScaleFactor();
    QTemporaryDir dir;
    CHandsetApp app;
    std::unique_ptr<CHandsetDlg> window;
};

TEST_F(SkinHiDpiTest, TheShapeShowsEverySkinPixelUnblurredAndNoTransparentColour) {
    // Painting reaches the screen shortly after the exposure: look again
    // until it is all there, or for ten seconds.
    QDeadlineTimer deadline(10000);
    std::string fault;
    int cut = 0;
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        const QImage shot = Capture();
        fault = PictureFault(shot);
        cut = shot.isNull() ? -1 : CutPixels(shot);
    } while ((!fault.empty() || cut != 0) && !deadline.hasExpired());
    EXPECT_EQ(fault, "") << "scale " << scale;
    EXPECT_EQ(cut, 0) << "skin pixels cut away at scale " << scale;
}

TEST_F(SkinHiDpiTest, APressOnEachCornerPixelOfAKeyHitsItAndOneOutsideDoesNot) {
    struct Key {
        const char* digit;
        int left, top, right, bottom;  // right and bottom exclusive
    };
    for (const Key& key : {Key{"5", 60, 60, 100, 75}, Key{"0", 20, 140, 50, 150}}) {
        SCOPED_TRACE(std::string("key ") + key.digit + " at scale " + std::to_string(scale));
        const int l = key.left, t = key.top, r = key.right - 1, b = key.bottom - 1;
        // Each corner pixel by its device pixel nearest to the outside, and
        // the skin pixels beside it by their device pixels nearest to the key.
        struct Press {
            QPoint device;
            bool hits;
        };
        std::vector<Press> presses = {
            {{FirstDevice(l), FirstDevice(t)}, true},
            {{LastDevice(r), FirstDevice(t)}, true},
            {{FirstDevice(l), LastDevice(b)}, true},
            {{LastDevice(r), LastDevice(b)}, true},
            {{LastDevice(l - 1), FirstDevice(t)}, false},
            {{FirstDevice(r + 1), FirstDevice(t)}, false},
            {{FirstDevice(l), LastDevice(t - 1)}, false},
            {{LastDevice(l - 1), LastDevice(b)}, false},
            {{FirstDevice(r + 1), LastDevice(b)}, false},
        };
        // Below the key's bottom row, where the skin goes on.
        if (b + 1 < kHeight) presses.push_back({{LastDevice(r), FirstDevice(b + 1)}, false});
        for (const Press& press : presses) {
            EXPECT_EQ(ClickAndRead(press.device), press.hits ? key.digit : "")
                << "device pixel " << Where(press.device.x(), press.device.y());
        }
    }
}

}  // namespace
