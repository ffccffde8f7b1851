#pragma once
// The skin's two mouse cursors, 32 x 32 with alpha.

#include <QImage>

namespace SkinArt {

// An arrow whose tip is the pixel (1, 1), its hot spot.
QImage DrawArrowCursor();
// A pointing hand whose finger tip touches the pixel (0, 0), its hot spot.
QImage DrawHandCursor();

}  // namespace SkinArt
