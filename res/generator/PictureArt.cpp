#include "PictureArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "Glyphs.h"
#include "SkinLayout.h"

namespace SkinArt {
namespace {

QImage Canvas() {
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

void DrawCloud(QPainter& p, QPointF at, double size) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 220));
    p.drawEllipse(at, size, size * 0.55);
    p.drawEllipse(at + QPointF(size * 0.8, size * 0.1), size * 0.7, size * 0.45);
    p.drawEllipse(at + QPointF(-size * 0.8, size * 0.15), size * 0.6, size * 0.4);
}

}  // namespace

QImage DrawStandbyPicture() {
    QImage image = Canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = image.width();
    const double h = image.height();

    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(70, 140, 220));
    sky.setColorAt(0.7, QColor(190, 222, 246));
    p.fillRect(image.rect(), sky);

    QRadialGradient sun(QPointF(w * 0.82, h * 0.22), 12);
    sun.setColorAt(0, QColor(255, 244, 170));
    sun.setColorAt(0.6, QColor(255, 208, 70));
    sun.setColorAt(1, QColor(255, 208, 70, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(w * 0.82, h * 0.22), 12, 12);
    DrawCloud(p, QPointF(w * 0.22, h * 0.2), 8);

    // The mountain with its snow cap.
    QPainterPath mountain;
    mountain.moveTo(0, h * 0.86);
    mountain.lineTo(w * 0.38, h * 0.3);
    mountain.quadTo(w * 0.46, h * 0.24, w * 0.54, h * 0.3);
    mountain.lineTo(w, h * 0.9);
    mountain.lineTo(w, h);
    mountain.lineTo(0, h);
    mountain.closeSubpath();
    QLinearGradient rock(0, h * 0.25, 0, h);
    rock.setColorAt(0, QColor(80, 96, 150));
    rock.setColorAt(1, QColor(50, 64, 110));
    p.setBrush(rock);
    p.drawPath(mountain);
    QPainterPath snow;
    snow.moveTo(w * 0.3, h * 0.41);
    snow.lineTo(w * 0.38, h * 0.3);
    snow.quadTo(w * 0.46, h * 0.24, w * 0.54, h * 0.3);
    snow.lineTo(w * 0.62, h * 0.42);
    snow.lineTo(w * 0.56, h * 0.39);
    snow.lineTo(w * 0.5, h * 0.45);
    snow.lineTo(w * 0.45, h * 0.39);
    snow.lineTo(w * 0.38, h * 0.46);
    snow.closeSubpath();
    p.setBrush(QColor(250, 252, 255));
    p.drawPath(snow);

    // Green hills in front.
    QPainterPath hills;
    hills.moveTo(0, h * 0.8);
    hills.quadTo(w * 0.25, h * 0.66, w * 0.5, h * 0.8);
    hills.quadTo(w * 0.75, h * 0.7, w, h * 0.78);
    hills.lineTo(w, h);
    hills.lineTo(0, h);
    hills.closeSubpath();
    QLinearGradient grass(0, h * 0.66, 0, h);
    grass.setColorAt(0, QColor(110, 184, 80));
    grass.setColorAt(1, QColor(46, 120, 50));
    p.setBrush(grass);
    p.drawPath(hills);

    p.setPen(QPen(QColor(30, 40, 60), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    return image;
}

QImage DrawIncomingPicture() {
    QImage image = Canvas();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double w = image.width();
    const double h = image.height();

    QRadialGradient glow(QPointF(w / 2, h * 0.42), w * 0.6);
    glow.setColorAt(0, QColor(255, 250, 214));
    glow.setColorAt(1, QColor(255, 186, 90));
    p.fillRect(image.rect(), glow);

    const QPointF centre(w / 2, h * 0.4);
    DrawRingWaves(p, centre, 22, 3, QColor(220, 60, 40), 2.2);
    DrawHandsetGlyph(p, centre, 36, -18, QColor(36, 150, 60), QColor(16, 80, 30));

    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(170, 30, 20));
    p.drawText(QRectF(0, h - 20, w, 18), Qt::AlignCenter, QString::fromUtf8("着信"));

    p.setPen(QPen(QColor(30, 40, 60), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    return image;
}

}  // namespace SkinArt
