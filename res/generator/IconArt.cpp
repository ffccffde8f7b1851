#include "IconArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace SkinArt {
namespace {

QImage Transparent(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// The desk telephone's base: a trapezoid with a round dial.
void DrawPhoneBase(QPainter& p, QColor body, QColor dark) {
    QPainterPath base;
    base.moveTo(4, 26.5);
    base.lineTo(32, 26.5);
    base.quadTo(32.5, 22, 27, 13.5);
    base.lineTo(9, 13.5);
    base.quadTo(3.5, 22, 4, 26.5);
    base.closeSubpath();
    QLinearGradient shade(0, 13, 0, 27);
    shade.setColorAt(0, body.lighter(130));
    shade.setColorAt(1, body);
    p.setPen(QPen(dark, 1.2));
    p.setBrush(shade);
    p.drawPath(base);
    p.setBrush(QColor(250, 250, 250));
    p.drawEllipse(QPointF(18, 20), 4.6, 4.6);
    p.setBrush(dark);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(18, 20), 1.6, 1.6);
}

// The handset of the desk telephone, drawn level with its middle at (0, 0).
void DrawDeskHandset(QPainter& p, QColor body, QColor dark) {
    QPainterPath handset;
    handset.moveTo(-15, 2);
    handset.quadTo(-16, -4, -10, -4.5);
    handset.lineTo(10, -4.5);
    handset.quadTo(16, -4, 15, 2);
    handset.lineTo(11, 3.5);
    handset.quadTo(9, 0, 6, -0.5);
    handset.lineTo(-6, -0.5);
    handset.quadTo(-9, 0, -11, 3.5);
    handset.closeSubpath();
    QLinearGradient shade(0, -5, 0, 4);
    shade.setColorAt(0, body.lighter(140));
    shade.setColorAt(1, body);
    p.setPen(QPen(dark, 1.2));
    p.setBrush(shade);
    p.drawPath(handset);
}

}  // namespace

QImage DrawAppIcon(int size) {
    QImage image = Transparent(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    const bool small = size < 24;
    const QColor outline(36, 42, 56);

    // Antenna stub, body, screen.
    p.setPen(QPen(outline, small ? 1.4 : 1.0));
    p.setBrush(QColor(60, 64, 74));
    p.drawRoundedRect(QRectF(20, 0.8, 4.2, 8), 1.8, 1.8);
    QLinearGradient shell(6, 0, 26, 0);
    shell.setColorAt(0, QColor(120, 132, 156));
    shell.setColorAt(0.45, QColor(214, 220, 232));
    shell.setColorAt(1, QColor(120, 132, 156));
    p.setBrush(shell);
    p.drawRoundedRect(QRectF(6.5, 4, 19, 27), 5, 5);
    p.setBrush(QColor(40, 46, 60));
    p.drawRoundedRect(QRectF(9, 7, 14, 10.5), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 220, 150));
    p.drawRect(QRectF(10.2, 8.2, 11.6, 8.1));

    if (small) {
        // Two bars stand for the keypad at 16 pixels.
        p.setBrush(QColor(40, 46, 60));
        p.drawRect(QRectF(9.5, 20.5, 13, 2.2));
        p.drawRect(QRectF(9.5, 25.5, 13, 2.2));
        return image;
    }
    // Call keys and a 3 x 4 keypad.
    p.setBrush(QColor(40, 170, 60));
    p.drawRoundedRect(QRectF(9, 18.8, 5, 2.2), 1, 1);
    p.setBrush(QColor(210, 40, 40));
    p.drawRoundedRect(QRectF(18, 18.8, 5, 2.2), 1, 1);
    p.setBrush(QColor(50, 56, 72));
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRoundedRect(QRectF(9.2 + col * 4.8, 22 + row * 2.2, 3.8, 1.5), 0.6, 0.6);
    // Signal bars on the screen.
    p.setBrush(QColor(30, 80, 30));
    for (int i = 0; i < 3; ++i)
        p.drawRect(QRectF(11.5 + i * 1.8, 13.4 - i * 1.5, 1.2, 1.8 + i * 1.5));
    return image;
}

QImage DrawOnHookIcon() {
    QImage image = Transparent(36, 28);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor red(214, 36, 36);
    const QColor dark(112, 12, 12);
    DrawPhoneBase(p, red, dark);
    // The handset rests on the cradle.
    p.translate(18, 10);
    DrawDeskHandset(p, red, dark);
    return image;
}

QImage DrawOffHookIcon() {
    QImage image = Transparent(36, 28);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor blue(40, 104, 224);
    const QColor dark(14, 42, 120);
    DrawPhoneBase(p, blue, dark);
    // The cord from the base up to the lifted handset.
    p.setPen(QPen(dark, 1));
    p.setBrush(Qt::NoBrush);
    QPainterPath cord;
    cord.moveTo(6, 22);
    cord.cubicTo(1, 18, 2, 14, 5, 11);
    p.drawPath(cord);
    // The handset raised above the base and tipped up on the left.
    p.translate(16.5, 8);
    p.rotate(-14);
    p.scale(0.86, 0.86);
    DrawDeskHandset(p, blue, dark);
    return image;
}

}  // namespace SkinArt
