#pragma once
// The display font and the window shape of the handset window.

#include <QFont>
#include <QRegion>
#include <vector>

#include "handset/RegionSpans.h"

// The face the skins are designed for, "MS ゴシック", at `pointSize` points;
// the Japanese gothic faces of this system stand in for it.
QFont MakeDisplayFont(int pointSize);

// The union of the spans (one rectangle per row) as one region.
QRegion RegionFromSpans(const std::vector<RowSpan>& spans);
