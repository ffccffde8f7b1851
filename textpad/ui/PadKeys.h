#pragma once
// What a key press means to the control pad, decided from the key event
// alone (its key and modifiers), never from the keyboard's state later on.

#include <Qt>

struct PadButton;

struct PadKeyAction {
    enum Kind {
        NotPadKey,  // left to the control with the focus and to the dialog
        Ignore,     // taken, and does nothing (Esc)
        Close,      // closes the pad (F12)
        Press,      // presses `button`'s key on the phone
    };
    Kind kind = NotPadKey;
    const PadButton* button = nullptr;
    bool longPress = false;
};

PadKeyAction DecodePadKey(int qtKey, Qt::KeyboardModifiers modifiers);

// Shift with a keypad key under Num Lock arrives as the navigation key
// printed on it: the digit key of that keypad position, or 0 when `qtKey` is
// none of them.
int KeypadDigitForNavigationKey(int qtKey);
