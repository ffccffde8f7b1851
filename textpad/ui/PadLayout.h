#pragma once
// The control pad's template: its controls in tab order with their places in
// dialog units, and its 23 buttons with their key names, PC keys and tips.

#include <Qt>
#include <string_view>

struct PadControl {
    enum Kind { Static, Edit, Button };
    Kind kind;
    int id;            // -1 for the static texts
    const char* text;  // UTF-8
    int x, y, width, height;
};

struct PadButton {
    int id;
    std::string_view keyName;
    int qtKey;    // the PC key, 0 for none (reached through the mnemonic)
    bool keypad;  // the key counts only on the numeric keypad
    const char* tooltip;
};

struct PadIcon {
    int buttonId;
    const char* resource;
};

inline constexpr int kPadWidth = 167;
inline constexpr int kPadHeight = 135;
inline constexpr int kPadEditId = 1026;
inline constexpr int kDefaultButtonId = 1047;

extern const PadControl kPadControls[28];
extern const PadButton kPadButtons[23];
extern const PadIcon kPadIcons[2];

// The button a key press stands for, or null. Enter counts from either
// place; the digits only from the keypad.
const PadButton* PadButtonForKey(int qtKey, bool keypad);
