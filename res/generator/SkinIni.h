#pragma once
// The text of the default skin settings file.

#include <QByteArray>

namespace SkinArt {

// Plain ASCII, one "KEY = value" line per key, comments on lines of their own.
QByteArray DefaultSkinIni();

}  // namespace SkinArt
