#pragma once
// The control pad's 23 buttons: their key names, PC keys (virtual-key codes)
// and tool tips, and what a click or key of the pad sends.

#include <string>
#include <string_view>

struct PadKey {
    int id;
    std::string_view keyName;
    unsigned virtualKey;  // 0: reached only through the button's mnemonic
    const wchar_t* tooltip;
};

extern const PadKey kPadKeys[23];

// The button of control `id`, or null.
const PadKey* PadKeyForId(int id);
// The button that key-down `virtualKey` presses, or null.
const PadKey* PadKeyForVirtualKey(unsigned virtualKey);
// What SendKey is handed for a press: the key name, with the long-press
// suffix when Shift is held.
std::string PadKeyText(const PadKey& key, bool shiftHeld);
