// The control pad's reading of a key event: which phone key it presses and
// whether long, decided from the event's key and modifiers alone.

#include "textpad/ui/PadKeys.h"

#include <gtest/gtest.h>

#include <string_view>

#include "textpad/ui/PadLayout.h"

namespace {

constexpr Qt::KeyboardModifiers kNone{};
constexpr Qt::KeyboardModifiers kShift{Qt::ShiftModifier};
constexpr Qt::KeyboardModifiers kAlt{Qt::AltModifier};
constexpr Qt::KeyboardModifiers kKeypad{Qt::KeypadModifier};

TEST(PadKeys, DecodesKeyAndModifiers) {
    struct Case {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
        PadKeyAction::Kind kind;
        std::string_view keyName;  // for Press
        bool longPress;
    };
    const Case cases[] = {
        {"Alt+*", Qt::Key_Asterisk, kAlt, PadKeyAction::Press, "CONTROL_AS", false},
        {"Alt+# typed with Shift", Qt::Key_NumberSign, kAlt | kShift, PadKeyAction::Press,
         "CONTROL_SH", false},
        {"Alt+keypad *", Qt::Key_Asterisk, kAlt | kKeypad, PadKeyAction::Press, "CONTROL_AS",
         false},
        {"Alt+E is the dialog's", Qt::Key_E, kAlt, PadKeyAction::NotPadKey, "", false},
        {"Alt+Up is the dialog's", Qt::Key_Up, kAlt, PadKeyAction::NotPadKey, "", false},
        {"Ctrl+Alt+* is no mnemonic", Qt::Key_Asterisk, kAlt | Qt::ControlModifier,
         PadKeyAction::NotPadKey, "", false},
        {"* alone is typed", Qt::Key_Asterisk, kShift, PadKeyAction::NotPadKey, "", false},
        {"Esc", Qt::Key_Escape, kNone, PadKeyAction::Ignore, "", false},
        {"F12", Qt::Key_F12, kShift, PadKeyAction::Close, "", false},
        {"Shift+Up", Qt::Key_Up, kShift, PadKeyAction::Press, "CONTROL_UP", true},
        {"keypad Home without Num Lock", Qt::Key_Home, kKeypad, PadKeyAction::Press,
         "CONTROL_OFFHOOK", false},
        {"Shift+keypad 1 under Num Lock", Qt::Key_End, kKeypad | kShift, PadKeyAction::Press,
         "CONTROL_1", true},
        {"Shift+keypad 5 under Num Lock", Qt::Key_Clear, kKeypad | kShift, PadKeyAction::Press,
         "CONTROL_5", true},
        {"Shift+keypad 0 under Num Lock", Qt::Key_Insert, kKeypad | kShift, PadKeyAction::Press,
         "CONTROL_0", true},
        {"Shift+keypad 1 without Num Lock", Qt::Key_1, kKeypad | kShift, PadKeyAction::Press,
         "CONTROL_1", true},
        {"Shift+End off the keypad", Qt::Key_End, kShift, PadKeyAction::Press, "CONTROL_ONHOOK",
         true},
        {"Shift+keypad decimal point", Qt::Key_Delete, kKeypad | kShift, PadKeyAction::NotPadKey,
         "", false},
        {"main keyboard digit is typed", Qt::Key_1, kNone, PadKeyAction::NotPadKey, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PadKeyAction action = DecodePadKey(c.key, c.modifiers);
        EXPECT_EQ(action.kind, c.kind);
        if (c.kind != PadKeyAction::Press) continue;
        ASSERT_NE(action.button, nullptr);
        EXPECT_EQ(action.button->keyName, c.keyName);
        EXPECT_EQ(action.longPress, c.longPress);
    }
}

}  // namespace
