#pragma once
// Small pictograms shared by the skin, its pictures and the icons.

#include <QColor>
#include <QPointF>

class QPainter;

namespace SkinArt {

// A telephone handset (ear piece left, mouth piece right) centred on `centre`,
// `length` pixels long, turned by `degrees` clockwise.
void DrawHandsetGlyph(QPainter& p, QPointF centre, double length, double degrees, QColor fill,
                      QColor outline = Qt::transparent);

// An open book seen from the front, `width` pixels wide.
void DrawBookGlyph(QPainter& p, QPointF centre, double width, QColor ink, QColor paper);

// Curved "sound" strokes left and right of `centre`, the first at `radius`.
void DrawRingWaves(QPainter& p, QPointF centre, double radius, int count, QColor ink, double pen);

}  // namespace SkinArt
