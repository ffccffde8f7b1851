#pragma once
// The default skin bitmap: a candy-bar handset on the transparent colour.

#include <QImage>

namespace SkinArt {

// The finished skin, format RGB32, kSkinWidth x kSkinHeight.
QImage DrawHandset();

// Puts an antialiased drawing on the transparent colour without a soft edge:
// a pixel at least half covered becomes fully opaque in its own colour, any
// other becomes the transparent colour, and no opaque pixel keeps that colour.
QImage FlattenOnKey(const QImage& art, QRgb key);

}  // namespace SkinArt
