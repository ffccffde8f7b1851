#pragma once
// Where every part of the default handset sits, in pixels of the skin bitmap
// (origin top-left). Boxes are left, top, right, bottom with right and bottom
// exclusive, the way the skin settings file writes rectangles.

#include <QPoint>
#include <QRect>
#include <QRgb>
#include <array>

namespace SkinArt {

struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    QRect Rect() const { return QRect(left, top, right - left, bottom - top); }
    QPointF Centre() const { return QPointF((left + right) / 2.0, (top + bottom) / 2.0); }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

inline constexpr int kSkinWidth = 240;
inline constexpr int kSkinHeight = 520;
// Point size of the four text areas; 12 pt leaves a 17 px line in a 22 px area.
inline constexpr int kFontSize = 12;
// Magenta never appears inside the body, so it can mark the surround.
inline constexpr int kTransparentRed = 255;
inline constexpr int kTransparentGreen = 0;
inline constexpr int kTransparentBlue = 255;
inline constexpr QRgb kTransparent = 0xFFFF00FF;

// Parts of the body that are only drawn.
inline constexpr Box kBody{8, 16, 232, 514};
inline constexpr Box kAntennaStub{186, 2, 206, 40};
inline constexpr Box kEarpiece{96, 29, 144, 35};
inline constexpr Box kBezel{18, 44, 222, 252};
inline constexpr Box kLcd{28, 54, 212, 242};
inline constexpr Box kSignalGlyph{32, 59, 43, 75};
inline constexpr Box kBattery{184, 61, 207, 73};
inline constexpr int kLcdRuleY = 105;
inline constexpr Box kBrand{60, 254, 180, 272};

// The pictures fill the PICTURE area exactly.
inline constexpr int kPictureWidth = 112;
inline constexpr int kPictureHeight = 72;

// One element of the skin settings file.
struct Element {
    const char* key;
    Box box;
};

// The 21 elements: 16 buttons in their fixed order, then the text areas and
// the picture area.
inline constexpr std::array<Element, 21> kElements{{
    {"BTN_0", {93, 460, 147, 490}},
    {"BTN_1", {24, 352, 78, 382}},
    {"BTN_2", {93, 352, 147, 382}},
    {"BTN_3", {162, 352, 216, 382}},
    {"BTN_4", {24, 388, 78, 418}},
    {"BTN_5", {93, 388, 147, 418}},
    {"BTN_6", {162, 388, 216, 418}},
    {"BTN_7", {24, 424, 78, 454}},
    {"BTN_8", {93, 424, 147, 454}},
    {"BTN_9", {162, 424, 216, 454}},
    {"BTN_AS", {24, 460, 78, 490}},
    {"BTN_SH", {162, 460, 216, 490}},
    {"BTN_SEND", {22, 280, 82, 312}},
    {"BTN_QUIT", {158, 280, 218, 312}},
    {"BTN_CLEAR", {96, 322, 144, 344}},
    {"BTN_CALL", {94, 276, 146, 316}},
    {"DISPLAY1", {32, 80, 208, 102}},
    {"DISPLAY2", {32, 186, 208, 208}},
    {"DISPLAY3", {32, 212, 208, 234}},
    {"ANTENNA", {46, 56, 176, 78}},
    {"PICTURE", {64, 109, 64 + kPictureWidth, 109 + kPictureHeight}},
}};

// The box of an element by its key; an unknown key gives an empty box.
constexpr Box ElementBox(const char* key) {
    for (const Element& e : kElements) {
        const char* a = e.key;
        const char* b = key;
        while (*a != '\0' && *a == *b) {
            ++a;
            ++b;
        }
        if (*a == *b) return e.box;
    }
    return Box{};
}

// The printed face of a dial key: the digit, the kana row it types and its
// Latin letters or symbols.
struct DialKeyFace {
    const char* key;
    const char* main;
    const char* kana;
    const char* latin;
};

inline constexpr std::array<DialKeyFace, 12> kDialKeyFaces{{
    {"BTN_1", "1", "あ", ".@/"},
    {"BTN_2", "2", "か", "ABC"},
    {"BTN_3", "3", "さ", "DEF"},
    {"BTN_4", "4", "た", "GHI"},
    {"BTN_5", "5", "な", "JKL"},
    {"BTN_6", "6", "は", "MNO"},
    {"BTN_7", "7", "ま", "PQRS"},
    {"BTN_8", "8", "や", "TUV"},
    {"BTN_9", "9", "ら", "WXYZ"},
    {"BTN_AS", "*", "゛゜", ""},
    {"BTN_0", "0", "わ", "をん"},
    {"BTN_SH", "#", "、。", "?!"},
}};

}  // namespace SkinArt
