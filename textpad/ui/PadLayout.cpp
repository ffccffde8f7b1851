#include "textpad/ui/PadLayout.h"

#include "link/PhoneKeys.h"

const PadControl kPadControls[28] = {
    {PadControl::Static, -1, "文字入力欄(&E)", 6, 8, 44, 8},
    {PadControl::Edit, kPadEditId, "", 6, 18, 66, 12},
    {PadControl::Button, 1045, "変換", 75, 27, 19, 14},
    {PadControl::Button, 1046, "文字", 75, 9, 19, 14},
    {PadControl::Static, -1,
     "英数字・記号と全角かな・半角カナのみ転送します。変換処理は携帯電話側で行います。", 6, 44, 88,
     26},
    {PadControl::Button, 1048, "Sub", 104, 9, 16, 14},
    {PadControl::Button, 1041, "↑", 124, 9, 12, 14},
    {PadControl::Button, 1049, "Clr", 140, 9, 16, 14},
    {PadControl::Button, 1042, "←", 108, 27, 12, 14},
    {PadControl::Button, kDefaultButtonId, "◎", 123, 27, 14, 15},
    {PadControl::Button, 1043, "→", 140, 27, 12, 14},
    {PadControl::Button, 1050, "", 102, 45, 18, 14},
    {PadControl::Button, 1044, "↓", 124, 45, 12, 14},
    {PadControl::Button, 1051, "", 140, 45, 18, 14},
    {PadControl::Button, 1052, "１", 110, 65, 10, 14},
    {PadControl::Button, 1053, "２", 125, 65, 10, 14},
    {PadControl::Button, 1054, "３", 140, 65, 10, 14},
    {PadControl::Button, 1055, "４", 110, 81, 10, 14},
    {PadControl::Button, 1056, "５", 125, 81, 10, 14},
    {PadControl::Button, 1057, "６", 140, 81, 10, 14},
    {PadControl::Button, 1058, "７", 110, 97, 10, 14},
    {PadControl::Button, 1059, "８", 125, 97, 10, 14},
    {PadControl::Button, 1060, "９", 140, 97, 10, 14},
    {PadControl::Button, 1063, "&*", 110, 113, 10, 14},
    {PadControl::Button, 1062, "０", 125, 113, 10, 14},
    {PadControl::Button, 1061, "&#", 140, 113, 10, 14},
    {PadControl::Static, -1, "ボタン長押し操作は Shift + 左クリックで代用します。", 6, 114, 88, 15},
    {PadControl::Static, -1,
     "文字入力時にテンキーや矢印キーなど仮想キーに割り当てられたキーを使わないように注意して下さ"
     "い。",
     6, 75, 88, 32},
};

const PadButton kPadButtons[23] = {
    {1041, CONTROL_UP, Qt::Key_Up, false, "arrow ↑"},
    {1044, CONTROL_DOWN, Qt::Key_Down, false, "arrow ↓"},
    {1042, CONTROL_LEFT, Qt::Key_Left, false, "arrow ←"},
    {1043, CONTROL_RIGHT, Qt::Key_Right, false, "arrow →"},
    {1045, CONTROL_I1, Qt::Key_Control, false, "Ctrl"},
    {1047, CONTROL_I2, Qt::Key_Return, false, "Enter"},
    {1049, CONTROL_I3, Qt::Key_PageDown, false, "PageDown"},
    {1048, CONTROL_I4, Qt::Key_PageUp, false, "PageUp"},
    {1046, CONTROL_I5, Qt::Key_Insert, false, "Insert"},
    {1052, CONTROL_1, Qt::Key_1, true, "numpad 1"},
    {1053, CONTROL_2, Qt::Key_2, true, "numpad 2"},
    {1054, CONTROL_3, Qt::Key_3, true, "numpad 3"},
    {1055, CONTROL_4, Qt::Key_4, true, "numpad 4"},
    {1056, CONTROL_5, Qt::Key_5, true, "numpad 5"},
    {1057, CONTROL_6, Qt::Key_6, true, "numpad 6"},
    {1058, CONTROL_7, Qt::Key_7, true, "numpad 7"},
    {1059, CONTROL_8, Qt::Key_8, true, "numpad 8"},
    {1060, CONTROL_9, Qt::Key_9, true, "numpad 9"},
    {1062, CONTROL_0, Qt::Key_0, true, "numpad 0"},
    {1063, CONTROL_AS, 0, false, "Alt + *"},
    {1061, CONTROL_SH, 0, false, "Alt + #"},
    {1051, CONTROL_ONHOOK, Qt::Key_End, false, "End"},
    {1050, CONTROL_OFFHOOK, Qt::Key_Home, false, "Home"},
};

// Icon 146 (on hook) on the right, icon 147 (off hook) on the left.
const PadIcon kPadIcons[2] = {
    {1051, ":/icons/146.png"},
    {1050, ":/icons/147.png"},
};

const PadButton* PadButtonForKey(int qtKey, bool keypad) {
    // The keypad's Enter is the same key to the pad.
    if (qtKey == Qt::Key_Enter) qtKey = Qt::Key_Return;
    for (const PadButton& b : kPadButtons) {
        if (b.qtKey != 0 && b.qtKey == qtKey && (!b.keypad || keypad)) return &b;
    }
    return nullptr;
}
