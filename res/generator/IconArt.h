#pragma once
// The application icon and the two telephone icons of the control pad.

#include <QImage>

namespace SkinArt {

// A small candy-bar handset, `size` x `size` pixels with alpha; below 24 pixels
// the keypad is left out so the shape stays readable.
QImage DrawAppIcon(int size);

// 36 x 28 desk telephones: red with the handset resting (on hook), blue with
// the handset lifted (off hook).
QImage DrawOnHookIcon();
QImage DrawOffHookIcon();

}  // namespace SkinArt
