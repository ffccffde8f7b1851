#include "winapp/PadKeys.h"

#include "winapp/Win32.h"

#include "link/PhoneKeys.h"

const PadKey kPadKeys[23] = {
    {1041, CONTROL_UP, VK_UP, L"arrow ↑"},      {1044, CONTROL_DOWN, VK_DOWN, L"arrow ↓"},
    {1042, CONTROL_LEFT, VK_LEFT, L"arrow ←"},  {1043, CONTROL_RIGHT, VK_RIGHT, L"arrow →"},
    {1045, CONTROL_I1, VK_CONTROL, L"Ctrl"},    {1047, CONTROL_I2, VK_RETURN, L"Enter"},
    {1049, CONTROL_I3, VK_NEXT, L"PageDown"},   {1048, CONTROL_I4, VK_PRIOR, L"PageUp"},
    {1046, CONTROL_I5, VK_INSERT, L"Insert"},   {1052, CONTROL_1, VK_NUMPAD1, L"numpad 1"},
    {1053, CONTROL_2, VK_NUMPAD2, L"numpad 2"}, {1054, CONTROL_3, VK_NUMPAD3, L"numpad 3"},
    {1055, CONTROL_4, VK_NUMPAD4, L"numpad 4"}, {1056, CONTROL_5, VK_NUMPAD5, L"numpad 5"},
    {1057, CONTROL_6, VK_NUMPAD6, L"numpad 6"}, {1058, CONTROL_7, VK_NUMPAD7, L"numpad 7"},
    {1059, CONTROL_8, VK_NUMPAD8, L"numpad 8"}, {1060, CONTROL_9, VK_NUMPAD9, L"numpad 9"},
    {1062, CONTROL_0, VK_NUMPAD0, L"numpad 0"}, {1063, CONTROL_AS, 0, L"Alt + *"},
    {1061, CONTROL_SH, 0, L"Alt + #"},          {1051, CONTROL_ONHOOK, VK_END, L"End"},
    {1050, CONTROL_OFFHOOK, VK_HOME, L"Home"},
};

const PadKey* PadKeyForId(int id) {
    for (const PadKey& key : kPadKeys) {
        if (key.id == id) return &key;
    }
    return nullptr;
}

const PadKey* PadKeyForVirtualKey(unsigned virtualKey) {
    if (virtualKey == 0) return nullptr;
    for (const PadKey& key : kPadKeys) {
        if (key.virtualKey == virtualKey) return &key;
    }
    return nullptr;
}

std::string PadKeyText(const PadKey& key, bool shiftHeld) {
    std::string text(key.keyName);
    if (shiftHeld) text += CONTROL_PUSH_LONG;
    return text;
}
