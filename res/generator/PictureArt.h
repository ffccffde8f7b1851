#pragma once
// The two pictures of the screen's PICTURE area, kPictureWidth x kPictureHeight.

#include <QImage>

namespace SkinArt {

// Shown while no call is active: a mountain landscape.
QImage DrawStandbyPicture();
// Shown while a call rings: a ringing handset.
QImage DrawIncomingPicture();

}  // namespace SkinArt
