#include "CursorArt.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace SkinArt {
namespace {

QImage Transparent() {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

}  // namespace

QImage DrawArrowCursor() {
    QImage image = Transparent();
    QPainter p(&image);
    // Drawn without smoothing: a cursor needs crisp pixels and an exact tip.
    const QPolygon arrow({QPoint(1, 1), QPoint(1, 19), QPoint(5, 15), QPoint(8, 22), QPoint(11, 21),
                          QPoint(8, 14), QPoint(13, 14)});
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::white);
    p.drawPolygon(arrow);
    return image;
}

QImage DrawHandCursor() {
    QImage image = Transparent();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The index finger runs up the left edge so that its end is at the corner.
    QPainterPath hand;
    hand.addRoundedRect(QRectF(0.5, 0.5, 5.5, 14), 2.7, 2.7);  // index finger
    hand.addRoundedRect(QRectF(5.2, 7, 4.4, 8), 2.1, 2.1);     // folded fingers
    hand.addRoundedRect(QRectF(9.1, 8, 4.4, 7.5), 2.1, 2.1);
    hand.addRoundedRect(QRectF(13, 9.5, 4, 6.5), 2, 2);
    hand.addRoundedRect(QRectF(0.5, 11, 16.5, 11.5), 4, 4);  // palm
    hand.setFillRule(Qt::WindingFill);
    hand = hand.simplified();
    p.setPen(QPen(Qt::black, 1.1));
    p.setBrush(Qt::white);
    p.drawPath(hand);

    // Creases between the folded fingers and the thumb across the palm.
    QPen crease(Qt::black, 1.0);
    crease.setCapStyle(Qt::RoundCap);
    p.setPen(crease);
    p.drawLine(QPointF(9.3, 9.5), QPointF(9.3, 13));
    p.drawLine(QPointF(13.2, 10.5), QPointF(13.2, 13.5));
    QPainterPath thumb;
    thumb.moveTo(1.5, 15);
    thumb.quadTo(5, 14.5, 8.5, 17.5);
    p.setBrush(Qt::NoBrush);
    p.drawPath(thumb);
    return image;
}

}  // namespace SkinArt
