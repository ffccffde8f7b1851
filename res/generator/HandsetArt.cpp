#include "HandsetArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "Glyphs.h"
#include "SkinLayout.h"

namespace SkinArt {
namespace {

const QColor kOutline(46, 52, 64);
const QColor kLcdInk(62, 80, 62);

QFont Font(const char* family, double pixels, bool bold = false) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(qRound(pixels));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

void DrawBody(QPainter& p) {
    // The stub antenna sits behind the top right of the body.
    const QRectF stub = kAntennaStub.Rect();
    QLinearGradient rubber(stub.left(), 0, stub.right(), 0);
    rubber.setColorAt(0, QColor(40, 42, 48));
    rubber.setColorAt(0.45, QColor(98, 102, 112));
    rubber.setColorAt(1, QColor(34, 36, 42));
    p.setPen(QPen(QColor(20, 22, 26), 1.5));
    p.setBrush(rubber);
    p.drawRoundedRect(stub, 9, 9);

    const QRectF body = QRectF(kBody.Rect()).adjusted(1, 1, -1, -1);
    QLinearGradient shell(body.left(), 0, body.right(), 0);
    shell.setColorAt(0.0, QColor(92, 102, 122));
    shell.setColorAt(0.07, QColor(160, 170, 188));
    shell.setColorAt(0.3, QColor(206, 212, 224));
    shell.setColorAt(0.55, QColor(218, 223, 232));
    shell.setColorAt(0.93, QColor(160, 170, 188));
    shell.setColorAt(1.0, QColor(92, 102, 122));
    p.setPen(QPen(kOutline, 2));
    p.setBrush(shell);
    p.drawRoundedRect(body, 34, 34);

    // A thin light line just inside the edge gives the shell some thickness.
    p.setPen(QPen(QColor(240, 243, 248, 150), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(5, 5, -5, -5), 29, 29);

    // Ear piece: a dark slot with a few holes.
    const QRectF ear = kEarpiece.Rect();
    p.setPen(QPen(QColor(120, 128, 142), 1));
    p.setBrush(QColor(44, 48, 58));
    p.drawRoundedRect(ear, 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(96, 104, 118));
    for (int i = 0; i < 7; ++i)
        p.drawEllipse(QPointF(ear.left() + 6 + i * 6, ear.center().y()), 1.2, 1.2);
}

void DrawSignalGlyph(QPainter& p) {
    const QRectF g = kSignalGlyph.Rect();
    QPen pen(kLcdInk, 1.6);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    const double mid = g.center().x();
    p.drawLine(QPointF(mid, g.top() + 5), QPointF(mid, g.bottom() - 1));
    p.drawLine(QPointF(g.left() + 1, g.top() + 1), QPointF(mid, g.top() + 6));
    p.drawLine(QPointF(g.right() - 1, g.top() + 1), QPointF(mid, g.top() + 6));
}

void DrawBattery(QPainter& p) {
    const QRectF b = kBattery.Rect();
    p.setPen(QPen(kLcdInk, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(b.left() + 0.5, b.top() + 0.5, b.width() - 4, b.height() - 1));
    p.setPen(Qt::NoPen);
    p.setBrush(kLcdInk);
    p.drawRect(QRectF(b.right() - 3, b.top() + 3.5, 3, b.height() - 7));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(b.left() + 3 + i * 5.5, b.top() + 3, 4, b.height() - 6));
}

void DrawScreen(QPainter& p) {
    const QRectF bezel = kBezel.Rect();
    QLinearGradient frame(0, bezel.top(), 0, bezel.bottom());
    frame.setColorAt(0, QColor(58, 64, 80));
    frame.setColorAt(1, QColor(30, 34, 44));
    p.setPen(QPen(QColor(22, 24, 30), 1.5));
    p.setBrush(frame);
    p.drawRoundedRect(bezel, 14, 14);

    const QRectF lcd = kLcd.Rect();
    QLinearGradient glass(0, lcd.top(), 0, lcd.bottom());
    glass.setColorAt(0, QColor(222, 234, 212));
    glass.setColorAt(1, QColor(204, 220, 194));
    p.setPen(QPen(QColor(110, 124, 106), 1));
    p.setBrush(glass);
    p.drawRoundedRect(lcd, 4, 4);

    DrawSignalGlyph(p);
    DrawBattery(p);
    p.setPen(QPen(QColor(160, 180, 154), 1));
    p.drawLine(QPointF(lcd.left() + 6, kLcdRuleY + 0.5), QPointF(lcd.right() - 6, kLcdRuleY + 0.5));
}

void DrawBrand(QPainter& p) {
    QFont f = Font("DejaVu Sans", 11, true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(f);
    p.setPen(QColor(70, 78, 96));
    p.drawText(kBrand.Rect(), Qt::AlignCenter, QStringLiteral("TELVOXA"));
}

// A raised key: gradient face, dark rim, a faint highlight along the top.
void DrawKeyCap(QPainter& p, const QRectF& r, double radius, QColor top, QColor bottom) {
    QLinearGradient face(0, r.top(), 0, r.bottom());
    face.setColorAt(0, top);
    face.setColorAt(1, bottom);
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(face);
    p.drawRoundedRect(r.adjusted(0.6, 0.6, -0.6, -0.6), radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 110), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(2, 2, -2, -2), radius - 2, radius - 2);
}

void DrawFunctionKeys(QPainter& p) {
    const Box send = ElementBox("BTN_SEND");
    DrawKeyCap(p, send.Rect(), 13, QColor(112, 206, 104), QColor(28, 138, 44));
    DrawHandsetGlyph(p, send.Centre(), 30, -22, Qt::white, QColor(20, 90, 30));

    const Box quit = ElementBox("BTN_QUIT");
    DrawKeyCap(p, quit.Rect(), 13, QColor(240, 110, 96), QColor(178, 30, 30));
    DrawHandsetGlyph(p, quit.Centre() + QPointF(0, 1), 30, 140, Qt::white, QColor(110, 16, 16));

    // Phone book: a round silver key with a book and its name.
    const Box call = ElementBox("BTN_CALL");
    const QRectF book = call.Rect();
    QRadialGradient metal(book.center() - QPointF(6, 8), book.width() * 0.8);
    metal.setColorAt(0, QColor(252, 252, 254));
    metal.setColorAt(1, QColor(176, 184, 200));
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(metal);
    p.drawEllipse(book.adjusted(0.6, 0.6, -0.6, -0.6));
    DrawBookGlyph(p, book.center() - QPointF(0, 6), 18, QColor(40, 70, 140), QColor(236, 242, 255));
    p.setFont(Font("IPAGothic", 10));
    p.setPen(QColor(30, 36, 50));
    p.drawText(QRectF(book.left(), book.center().y() + 3, book.width(), 12), Qt::AlignCenter,
               QString::fromUtf8("電話帳"));

    const Box clear = ElementBox("BTN_CLEAR");
    DrawKeyCap(p, clear.Rect(), 10, QColor(246, 246, 248), QColor(190, 196, 208));
    p.setFont(Font("DejaVu Sans", 11, true));
    p.setPen(QColor(30, 36, 50));
    p.drawText(clear.Rect(), Qt::AlignCenter, QStringLiteral("CLR"));
}

void DrawKeypad(QPainter& p) {
    const QFont digitFont = Font("DejaVu Sans", 18, true);
    const QFont kanaFont = Font("IPAGothic", 10);
    const QFont latinFont = Font("DejaVu Sans", 8);
    for (const DialKeyFace& face : kDialKeyFaces) {
        const QRectF r = ElementBox(face.key).Rect();
        DrawKeyCap(p, r, 9, QColor(252, 252, 253), QColor(204, 209, 220));
        p.setPen(QColor(24, 28, 40));
        p.setFont(digitFont);
        p.drawText(QRectF(r.left() + 4, r.top(), 22, r.height()), Qt::AlignCenter,
                   QString::fromUtf8(face.main));
        const QRectF side(r.left() + 26, r.top() + 3, r.width() - 30, r.height() - 6);
        p.setPen(QColor(40, 60, 120));
        p.setFont(kanaFont);
        p.drawText(QRectF(side.left(), side.top(), side.width(), side.height() / 2),
                   Qt::AlignCenter, QString::fromUtf8(face.kana));
        p.setPen(QColor(70, 76, 92));
        p.setFont(latinFont);
        p.drawText(QRectF(side.left(), side.center().y(), side.width(), side.height() / 2),
                   Qt::AlignCenter, QString::fromUtf8(face.latin));
    }
}

void DrawMicrophone(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 66, 80));
    const double y = (ElementBox("BTN_0").bottom + kBody.bottom) / 2.0;
    for (int i = -1; i <= 1; ++i) p.drawEllipse(QPointF(kSkinWidth / 2.0 + i * 7, y), 1.6, 1.6);
}

}  // namespace

QImage FlattenOnKey(const QImage& art, QRgb key) {
    const QImage src = art.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            QRgb c = in[x];
            if (qAlpha(c) < 128) {
                line[x] = key;
                continue;
            }
            c = qRgb(qRed(c), qGreen(c), qBlue(c));
            // Keep the body free of the transparent colour itself.
            if (c == (key | 0xFF000000u)) c = qRgb(qRed(c), qGreen(c), qBlue(c) ^ 1);
            line[x] = c;
        }
    }
    return out;
}

QImage DrawHandset() {
    QImage art(kSkinWidth, kSkinHeight, QImage::Format_ARGB32_Premultiplied);
    art.fill(Qt::transparent);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawBody(p);
    DrawScreen(p);
    DrawBrand(p);
    DrawFunctionKeys(p);
    DrawKeypad(p);
    DrawMicrophone(p);
    p.end();
    return FlattenOnKey(art, kTransparent);
}

}  // namespace SkinArt
