#include "textpad/CharConvert.h"

namespace {

struct SingleRow {
    uint8_t code;
    uint8_t row;
    uint8_t column;
};

// Single-byte characters outside the runs of kana, digits and letters.
constexpr SingleRow kNarrowSingles[] = {
    {0x20, 9, 14}, {0x21, 13, 4}, {0x22, 8, 6},  {0x23, 15, 6}, {0x24, 8, 7},  {0x25, 8, 8},
    {0x26, 7, 15}, {0x27, 7, 13}, {0x28, 8, 2},  {0x29, 8, 4},  {0x2A, 15, 7}, {0x2B, 8, 9},
    {0x2C, 7, 9},  {0x2D, 7, 10}, {0x2E, 7, 7},  {0x2F, 7, 8},  {0x30, 15, 5}, {0x3A, 7, 12},
    {0x3B, 8, 10}, {0x3C, 8, 11}, {0x3D, 8, 12}, {0x3E, 8, 13}, {0x3F, 13, 5}, {0x40, 7, 6},
    {0x5B, 8, 15}, {0x5C, 8, 14}, {0x5D, 9, 6},  {0x5E, 9, 7},  {0x5F, 7, 11}, {0x60, 9, 15},
    {0x7B, 9, 8},  {0x7C, 9, 9},  {0x7D, 9, 10}, {0x7E, 9, 13}, {0xA1, 13, 2}, {0xA2, 9, 11},
    {0xA3, 9, 12}, {0xA4, 13, 1}, {0xA5, 13, 3}, {0xA6, 10, 2}, {0xAF, 12, 1}, {0xB0, 12, 5},
};

// Hiragana with lead byte 0x82 that fall outside the regular runs.
constexpr SingleRow kHiraganaSingles[] = {
    {0x4F, 15, 5}, {0xC1, 12, 1}, {0xE1, 12, 2}, {0xE2, 8, 1},  {0xE3, 12, 3},
    {0xE4, 8, 3},  {0xE5, 12, 4}, {0xE6, 8, 5},  {0xED, 10, 1}, {0xEE, 1, 2},
    {0xEF, 1, 4},  {0xF0, 10, 2}, {0xF1, 10, 3},
};

// Full-width punctuation and symbols, lead byte 0x81.
constexpr SingleRow kSymbolSingles[] = {
    {0x40, 9, 14}, {0x41, 13, 1}, {0x42, 13, 2}, {0x43, 7, 9},  {0x44, 7, 7},  {0x45, 13, 3},
    {0x46, 7, 12}, {0x47, 8, 10}, {0x48, 13, 5}, {0x49, 13, 4}, {0x4A, 10, 4}, {0x4B, 10, 5},
    {0x4D, 9, 15}, {0x4F, 9, 7},  {0x51, 7, 11}, {0x5B, 12, 5}, {0x5E, 7, 8},  {0x60, 9, 13},
    {0x62, 9, 9},  {0x66, 7, 13}, {0x68, 8, 6},  {0x69, 8, 2},  {0x6A, 8, 4},  {0x6D, 8, 15},
    {0x6E, 9, 6},  {0x6F, 9, 8},  {0x70, 9, 10}, {0x75, 9, 11}, {0x76, 9, 12}, {0x7B, 8, 9},
    {0x7C, 7, 10}, {0x81, 8, 12}, {0x83, 8, 11}, {0x84, 8, 13}, {0x8F, 8, 14}, {0x90, 8, 7},
    {0x93, 8, 8},  {0x94, 15, 6}, {0x95, 7, 15}, {0x96, 15, 7}, {0x97, 7, 6},
};

int Found(int row, int column, CharPos& pos) {
    pos.row = static_cast<uint8_t>(row);
    pos.column = static_cast<uint8_t>(column);
    return 1;
}

template <size_t N>
int FindSingle(const SingleRow (&rows)[N], uint8_t code, CharPos& pos) {
    for (const SingleRow& r : rows) {
        if (r.code == code) return Found(r.row, r.column, pos);
    }
    return 0;
}

bool InRange(uint8_t c, uint8_t first, uint8_t last) {
    return c >= first && c <= last;
}

int ConvertHiragana(uint8_t t, CharPos& pos) {
    if (InRange(t, 0x9F, 0xA8)) return Found(t % 2 == 1 ? 11 : 1, 1 + (t - 0x9F) / 2, pos);
    if (InRange(t, 0xA9, 0xC0)) {
        int n = t - 0xA9;
        return Found(2 + n / 10, 1 + (n % 10) / 2, pos);
    }
    if (InRange(t, 0xC2, 0xC7)) return Found(4, 3 + (t - 0xC2) / 2, pos);
    if (InRange(t, 0xC8, 0xCC)) return Found(5, t - 0xC7, pos);
    if (InRange(t, 0xCD, 0xDB)) return Found(6, 1 + (t - 0xCD) / 3, pos);
    if (InRange(t, 0xDC, 0xE0)) return Found(7, t - 0xDB, pos);
    if (InRange(t, 0xE7, 0xEB)) return Found(9, t - 0xE6, pos);
    if (InRange(t, 0x50, 0x58)) {
        int n = t - 0x50;
        return Found(14 + n / 5, 1 + n % 5, pos);
    }
    if (InRange(t, 0x60, 0x79)) {
        int n = t - 0x60;
        return Found(1 + n / 10, 6 + n % 10, pos);
    }
    if (InRange(t, 0x81, 0x9A)) {
        int n = t - 0x81;
        return Found(4 + n / 10, 6 + n % 10, pos);
    }
    return FindSingle(kHiraganaSingles, t, pos);
}

}  // namespace

int ConvertNarrowChar(uint8_t c, CharPos& pos) {
    if (InRange(c, 0xB1, 0xD3)) {  // ｱ to ﾓ
        int n = c - 0xB1;
        return Found(1 + n / 5, 1 + n % 5, pos);
    }
    if (InRange(c, 0xD4, 0xD6)) return Found(8, 2 * (c - 0xD4) + 1, pos);  // ﾔ ﾕ ﾖ
    if (InRange(c, 0xD7, 0xDC)) {                                          // ﾗ to ﾜ
        int n = c - 0xD7;
        return Found(9 + n / 5, 1 + n % 5, pos);
    }
    if (InRange(c, 0xDD, 0xDF)) return Found(10, c - 0xDA, pos);  // ﾝ ﾞ ﾟ
    if (InRange(c, 0xA7, 0xAB)) return Found(11, c - 0xA6, pos);  // ｧ to ｫ
    if (InRange(c, 0xAC, 0xAE)) return Found(12, c - 0xAA, pos);  // ｬ ｭ ｮ
    if (InRange(c, 0x31, 0x39)) {                                 // '1' to '9'
        int n = c - 0x31;
        return Found(14 + n / 5, 1 + n % 5, pos);
    }
    if (InRange(c, 0x41, 0x5A)) {
        int n = c - 0x41;
        return Found(1 + n / 10, 6 + n % 10, pos);
    }
    if (InRange(c, 0x61, 0x7A)) {
        int n = c - 0x61;
        return Found(4 + n / 10, 6 + n % 10, pos);
    }
    return FindSingle(kNarrowSingles, c, pos);
}

int ConvertWideChar(uint8_t lead, uint8_t trail, CharPos& pos) {
    if (lead == 0x82) return ConvertHiragana(trail, pos);
    if (lead == 0x81) return FindSingle(kSymbolSingles, trail, pos);
    return 0;
}

namespace {
constexpr char kDialChars[] = "1234567890*#";  // codes 0x91 to 0x9C in order
constexpr uint8_t kFirstDialCode = 0x91;
constexpr uint8_t kLastDialCode = 0x9C;
}  // namespace

DialCode DialCharToCode(std::string_view text) {
    if (text.empty()) return 0x00;
    for (uint8_t i = 0; i <= kLastDialCode - kFirstDialCode; ++i) {
        if (kDialChars[i] == text.front()) return static_cast<DialCode>(kFirstDialCode + i);
    }
    return 0x00;
}

char DialCodeToChar(uint8_t code) {
    if (!InRange(code, kFirstDialCode, kLastDialCode)) return 0;
    return kDialChars[code - kFirstDialCode];
}
