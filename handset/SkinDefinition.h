#pragma once
// What a skin settings file says about the handset window: bitmap name,
// transparent colour, the 21 element rectangles and the font size, with the
// defaults, normalising and offsets applied.

#include <array>
#include <cstdint>
#include <string>

#include "app/SkinFile.h"

// The three lookups of the skin settings file, so that the definition can be
// read from the application's open file or from anything else in tests.
class SkinLookup {
public:
    virtual ~SkinLookup() = default;
    virtual std::string GetSkinString(const std::string& key) = 0;
    virtual int32_t GetSkinInt(const std::string& key) = 0;
    virtual SkinRect GetSkinRect(const std::string& key) = 0;
};

// The 21 element keys in their fixed order; buttons are rows 0 to 15.
enum ButtonIndex : int {
    BTN_0 = 0,
    BTN_9 = 9,
    BTN_AS = 10,
    BTN_SH = 11,
    BTN_SEND = 12,
    BTN_QUIT = 13,
    BTN_CLEAR = 14,
    BTN_CALL = 15,
    SKIN_DISPLAY1 = 16,
    SKIN_DISPLAY2 = 17,
    SKIN_DISPLAY3 = 18,
    SKIN_ANTENNA = 19,
    SKIN_PICTURE = 20,
};
inline constexpr int SKIN_BUTTON_COUNT = 16;
inline constexpr int SKIN_ELEMENT_COUNT = 21;
extern const char* const SkinKeyTable[SKIN_ELEMENT_COUNT];

inline constexpr const char* DEFAULT_BITMAP_FILE = "default.bmp";
inline constexpr int DEFAULT_FONT_SIZE = 10;
// Larger sizes are taken as this many points (the tenths of a point that the
// font is made from would overflow far above it).
inline constexpr int MAX_FONT_SIZE = 1000;

struct SkinColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const SkinColour&) const = default;
};

struct SkinDefinition {
    std::string bitmapFile;  // BMPFILE as written (code page 932), or the default
    SkinColour transparent;
    int32_t diffX = 0;
    int32_t diffY = 0;
    std::array<SkinRect, SKIN_ELEMENT_COUNT> elements{};  // SkinKeyTable order
    int fontSize = DEFAULT_FONT_SIZE;

    const SkinRect& Button(int index) const { return elements[index]; }
    const SkinRect& Display1() const { return elements[SKIN_DISPLAY1]; }
    const SkinRect& Display2() const { return elements[SKIN_DISPLAY2]; }
    const SkinRect& Display3() const { return elements[SKIN_DISPLAY3]; }
    const SkinRect& Antenna() const { return elements[SKIN_ANTENNA]; }
    const SkinRect& Picture() const { return elements[SKIN_PICTURE]; }
};

// Reads every key of the definition.
SkinDefinition ReadSkinDefinition(SkinLookup& lookup);

// The element rectangle `key`: normalised (left <= right, top <= bottom), then
// moved by (dx, dy). Coordinates that would leave the 32-bit range stop at its
// ends.
SkinRect ReadSkinElement(SkinLookup& lookup, const std::string& key, int32_t dx, int32_t dy);
SkinRect NormaliseRect(SkinRect rect);
SkinRect OffsetRect(SkinRect rect, int32_t dx, int32_t dy);

// FONTSIZE: 10 when zero, negative or absent; at most MAX_FONT_SIZE.
int SkinFontSize(int32_t value);

// The path of a file named in the skin file: the value appended to the folder
// part of the skin file's path (up to and including its last "/" or "\"), or
// the value alone when that path has no folder part. Both arguments are UTF-8.
// Skins are written with "\" separators, so every "\" becomes "/"; trailing
// blanks and dots of the name are dropped, as Windows ignores them there.
std::string ComposeSkinPath(const std::string& skinFilePath, const std::string& value);
