#pragma once
// The display font and the window shape of the handset window.

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRegion>
#include <vector>

#include "handset/RegionSpans.h"

// The face the skins are designed for, "MS ゴシック", at `pointSize` points;
// the Japanese gothic faces of this system stand in for it.
QFont MakeDisplayFont(int pointSize);

// The union of the spans (one rectangle per row) as one region.
QRegion RegionFromSpans(const std::vector<RowSpan>& spans);

// The skin with every pixel outside `region` made fully transparent and every
// pixel inside kept as it is, for desktops that take a mask as the input
// region only and show the whole picture.
QImage CutToRegion(const QImage& skin, const QRegion& region);

// The skin pixel under a mouse position. Positions are fractional on scaled
// screens, and a device pixel belongs to the skin pixel it lies in: rounding
// would take the right half of pixel 99 for pixel 100. Qt 6.4 rounds a
// widget's own position() on the way from the window: the window's position
// (scenePosition) is the exact one, and for the top-level skin the same.
QPoint SkinPixel(const QPointF& position);
