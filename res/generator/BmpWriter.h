#pragma once
// Writes the Windows bitmap form that the skin format expects: a 14-byte file
// header, a 40-byte information header, 24-bit pixels from byte 54, rows stored
// bottom-up and padded to a multiple of four bytes, no compression.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace SkinArt {

QByteArray EncodeBmp24(const QImage& image);
bool WriteBmp24(const QImage& image, const QString& path);

}  // namespace SkinArt
