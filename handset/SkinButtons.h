#pragma once
// What the handset's skin buttons and keys mean, without any window: which
// button a point falls on, which button a typed character stands for, and
// the drag threshold of the window.

#include <cstdint>
#include <string>

#include "app/SkinFile.h"
#include "handset/SkinDefinition.h"

inline constexpr int NO_BUTTON = -1;
// A move of the window while the left button is held starts only when the
// cursor has gone this far (|dx| + |dy|) from where the window last moved.
inline constexpr int DRAG_THRESHOLD = 10;

// True when (x, y) lies in `rect`: left and top inside, right and bottom
// outside.
bool RectContains(const SkinRect& rect, int32_t x, int32_t y);

// The first of the `count` button rectangles (ButtonIndex order) that holds
// the point, or NO_BUTTON.
int HitTestButton(const SkinRect* buttons, int count, int32_t x, int32_t y);

// The button a typed character presses: "0".."9", "*", "#", and the lower-case
// letters c (phone book), q (end) and s (send); NO_BUTTON for anything else.
int ButtonForCharacter(char c);

// The character a dial key (BTN_0..BTN_9, BTN_AS, BTN_SH) puts into the
// number; 0 for any other button.
char DialCharacter(int button);
inline bool IsDialKey(int button) {
    return DialCharacter(button) != 0;
}

// True when a cursor offset of (dx, dy) from the last drag position moves the
// window.
bool DragMoves(int64_t dx, int64_t dy);

// The number line after one press of the clear key: empty when `append` is
// false (a charge text goes as a whole), else without its last character
// (both bytes of a double-byte one).
std::string ClearLastCharacter(const std::string& number, bool append);
