#include "Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QTransform>

namespace SkinArt {

void DrawHandsetGlyph(QPainter& p, QPointF centre, double length, double degrees, QColor fill,
                      QColor outline) {
    // Drawn on a unit length of 1 along x: a bent grip and two rounded pieces
    // that turn down at each end.
    QPainterPath grip;
    grip.moveTo(-0.33, 0.0);
    grip.cubicTo(-0.18, -0.27, 0.18, -0.27, 0.33, 0.0);
    QPainterPathStroker stroker;
    stroker.setWidth(0.2);
    stroker.setCapStyle(Qt::RoundCap);
    QPainterPath shape = stroker.createStroke(grip);
    QPainterPath piece;
    piece.addRoundedRect(QRectF(-0.17, -0.12, 0.34, 0.25), 0.11, 0.11);
    shape = shape.united(QTransform().translate(-0.36, 0.1).rotate(28).map(piece));
    shape = shape.united(QTransform().translate(0.36, 0.1).rotate(-28).map(piece));
    shape = shape.simplified();

    p.save();
    p.translate(centre);
    p.rotate(degrees);
    p.scale(length, length);
    p.setBrush(fill);
    if (outline.alpha() == 0) {
        p.setPen(Qt::NoPen);
    } else {
        QPen pen(outline, 1.0 / length);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
    }
    p.drawPath(shape);
    p.restore();
}

void DrawBookGlyph(QPainter& p, QPointF centre, double width, QColor ink, QColor paper) {
    const double w = width / 2.0;
    const double h = width * 0.36;
    p.save();
    p.translate(centre);
    QPen pen(ink, qMax(1.0, width / 14.0));
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(paper);
    QPainterPath left;
    left.moveTo(0, -h + h * 0.2);
    left.quadTo(-w * 0.5, -h - h * 0.1, -w, -h + h * 0.1);
    left.lineTo(-w, h);
    left.quadTo(-w * 0.5, h - h * 0.3, 0, h);
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(0, -h + h * 0.2);
    right.quadTo(w * 0.5, -h - h * 0.1, w, -h + h * 0.1);
    right.lineTo(w, h);
    right.quadTo(w * 0.5, h - h * 0.3, 0, h);
    right.closeSubpath();
    p.drawPath(left);
    p.drawPath(right);
    // A few lines of print on each page.
    pen.setWidthF(qMax(0.8, width / 24.0));
    p.setPen(pen);
    for (int i = 0; i < 3; ++i) {
        const double y = -h * 0.35 + i * h * 0.45;
        p.drawLine(QPointF(-w * 0.78, y), QPointF(-w * 0.2, y + h * 0.05));
        p.drawLine(QPointF(w * 0.2, y + h * 0.05), QPointF(w * 0.78, y));
    }
    p.restore();
}

void DrawRingWaves(QPainter& p, QPointF centre, double radius, int count, QColor ink, double pen) {
    p.save();
    QPen wave(ink, pen);
    wave.setCapStyle(Qt::RoundCap);
    p.setPen(wave);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < count; ++i) {
        const double r = radius + i * pen * 2.2;
        const QRectF box(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
        p.drawArc(box, -40 * 16, 80 * 16);  // right side
        p.drawArc(box, 140 * 16, 80 * 16);  // left side
    }
    p.restore();
}

}  // namespace SkinArt
