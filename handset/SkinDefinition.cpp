#include "handset/SkinDefinition.h"

#include <algorithm>
#include <limits>
#include <utility>

const char* const SkinKeyTable[SKIN_ELEMENT_COUNT] = {
    "BTN_0",     "BTN_1",    "BTN_2",    "BTN_3",    "BTN_4",    "BTN_5",    "BTN_6",
    "BTN_7",     "BTN_8",    "BTN_9",    "BTN_AS",   "BTN_SH",   "BTN_SEND", "BTN_QUIT",
    "BTN_CLEAR", "BTN_CALL", "DISPLAY1", "DISPLAY2", "DISPLAY3", "ANTENNA",  "PICTURE",
};

namespace {

int32_t SaturatingAdd(int32_t a, int32_t b) {
    const int64_t sum = int64_t{a} + int64_t{b};
    return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

SkinRect NormaliseRect(SkinRect rect) {
    if (rect.right < rect.left) std::swap(rect.left, rect.right);
    if (rect.bottom < rect.top) std::swap(rect.top, rect.bottom);
    return rect;
}

SkinRect OffsetRect(SkinRect rect, int32_t dx, int32_t dy) {
    rect.left = SaturatingAdd(rect.left, dx);
    rect.right = SaturatingAdd(rect.right, dx);
    rect.top = SaturatingAdd(rect.top, dy);
    rect.bottom = SaturatingAdd(rect.bottom, dy);
    return rect;
}

SkinRect ReadSkinElement(SkinLookup& lookup, const std::string& key, int32_t dx, int32_t dy) {
    return OffsetRect(NormaliseRect(lookup.GetSkinRect(key)), dx, dy);
}

int SkinFontSize(int32_t value) {
    if (value <= 0) return DEFAULT_FONT_SIZE;
    return std::min<int32_t>(value, MAX_FONT_SIZE);
}

SkinDefinition ReadSkinDefinition(SkinLookup& lookup) {
    SkinDefinition skin;
    skin.bitmapFile = lookup.GetSkinString("BMPFILE");
    if (skin.bitmapFile.empty()) skin.bitmapFile = DEFAULT_BITMAP_FILE;
    // Only the low 8 bits of each colour part count.
    skin.transparent.red = static_cast<uint8_t>(lookup.GetSkinInt("TP_R") & 0xFF);
    skin.transparent.green = static_cast<uint8_t>(lookup.GetSkinInt("TP_G") & 0xFF);
    skin.transparent.blue = static_cast<uint8_t>(lookup.GetSkinInt("TP_B") & 0xFF);
    skin.diffX = lookup.GetSkinInt("DIFF_X");
    skin.diffY = lookup.GetSkinInt("DIFF_Y");
    for (int i = 0; i < SKIN_ELEMENT_COUNT; ++i)
        skin.elements[i] = ReadSkinElement(lookup, SkinKeyTable[i], skin.diffX, skin.diffY);
    skin.fontSize = SkinFontSize(lookup.GetSkinInt("FONTSIZE"));
    return skin;
}

std::string ComposeSkinPath(const std::string& skinFilePath, const std::string& value) {
    std::string name = value;
    std::replace(name.begin(), name.end(), '\\', '/');
    const size_t nameStart = name.find_last_of('/') + 1;  // 0 when there is none
    size_t end = name.size();
    while (end > nameStart && (name[end - 1] == ' ' || name[end - 1] == '.')) --end;
    name.resize(end);

    const size_t slash = skinFilePath.find_last_of("/\\");
    if (slash == std::string::npos) return name;
    std::string folder = skinFilePath.substr(0, slash + 1);
    std::replace(folder.begin(), folder.end(), '\\', '/');
    return folder + name;
}
