#include "textpad/ui/PadKeys.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "link/PhoneKeys.h"
#include "textpad/ui/PadLayout.h"

namespace {

const PadButton* ButtonFor(std::string_view keyName) {
    const auto* found = std::find_if(std::begin(kPadButtons), std::end(kPadButtons),
                                     [&](const PadButton& b) { return b.keyName == keyName; });
    return found == std::end(kPadButtons) ? nullptr : found;
}

PadKeyAction Press(const PadButton* button, bool longPress) {
    if (!button) return {};
    return {PadKeyAction::Press, button, longPress};
}

}  // namespace

int KeypadDigitForNavigationKey(int qtKey) {
    // The keypad's keys as Num Lock off names them, by their digits 0..9.
    static constexpr int navigation[10] = {
        Qt::Key_Insert, Qt::Key_End,   Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Left,
        Qt::Key_Clear,  Qt::Key_Right, Qt::Key_Home, Qt::Key_Up,       Qt::Key_PageUp,
    };
    const auto* found = std::find(std::begin(navigation), std::end(navigation), qtKey);
    return found == std::end(navigation) ? 0 : Qt::Key_0 + int(found - std::begin(navigation));
}

PadKeyAction DecodePadKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    // With Alt (and not Ctrl) held the key is a system key, left to the
    // dialog; but for Alt+* and Alt+#, which most keyboards can only type
    // with Shift, that Shift must not make the press long.
    if (modifiers.testFlag(Qt::AltModifier) && !modifiers.testFlag(Qt::ControlModifier)) {
        if (qtKey == Qt::Key_Asterisk) return Press(ButtonFor(CONTROL_AS), false);
        if (qtKey == Qt::Key_NumberSign) return Press(ButtonFor(CONTROL_SH), false);
        return {};
    }
    if (qtKey == Qt::Key_Escape) return {PadKeyAction::Ignore};
    if (qtKey == Qt::Key_F12) return {PadKeyAction::Close};
    // Without Shift a keypad navigation key is that key: Num Lock is off.
    if (keypad && shift) {
        if (const int digit = KeypadDigitForNavigationKey(qtKey)) qtKey = digit;
    }
    return Press(PadButtonForKey(qtKey, keypad), shift);
}
