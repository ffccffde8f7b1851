#include "handset/SkinButtons.h"

#include <cstdlib>

#include "textpad/TextUnits.h"

bool RectContains(const SkinRect& rect, int32_t x, int32_t y) {
    return rect.left <= x && x < rect.right && rect.top <= y && y < rect.bottom;
}

int HitTestButton(const SkinRect* buttons, int count, int32_t x, int32_t y) {
    for (int i = 0; i < count; ++i)
        if (RectContains(buttons[i], x, y)) return i;
    return NO_BUTTON;
}

int ButtonForCharacter(char c) {
    if (c >= '0' && c <= '9') return BTN_0 + (c - '0');
    switch (c) {
        case '*':
            return BTN_AS;
        case '#':
            return BTN_SH;
        case 'c':
            return BTN_CALL;
        case 'q':
            return BTN_QUIT;
        case 's':
            return BTN_SEND;
        default:
            return NO_BUTTON;
    }
}

char DialCharacter(int button) {
    if (button >= BTN_0 && button <= BTN_9) return static_cast<char>('0' + (button - BTN_0));
    if (button == BTN_AS) return '*';
    if (button == BTN_SH) return '#';
    return 0;
}

bool DragMoves(int64_t dx, int64_t dy) {
    return std::llabs(dx) + std::llabs(dy) >= DRAG_THRESHOLD;
}

std::string ClearLastCharacter(const std::string& number, bool append) {
    if (!append || number.empty()) return {};
    // Cutting one byte off a double-byte character would leave half of it.
    const std::vector<TextUnit> units = CutTextUnits(number);
    return number.substr(0, number.size() - units.back().size());
}
