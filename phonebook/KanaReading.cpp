#include "phonebook/KanaReading.h"

#include <cstdint>
#include <iterator>

#include "platform/Cp932.h"

namespace {

// Half-width forms of the full-width katakana U+30A1 "ァ" to U+30FA "ヺ".
constexpr const char* kHalfKatakana[] = {
    // clang-format off
    "ｧ", "ｱ", "ｨ", "ｲ", "ｩ", "ｳ", "ｪ", "ｴ", "ｫ", "ｵ",
    "ｶ", "ｶﾞ", "ｷ", "ｷﾞ", "ｸ", "ｸﾞ", "ｹ", "ｹﾞ", "ｺ", "ｺﾞ",
    "ｻ", "ｻﾞ", "ｼ", "ｼﾞ", "ｽ", "ｽﾞ", "ｾ", "ｾﾞ", "ｿ", "ｿﾞ",
    "ﾀ", "ﾀﾞ", "ﾁ", "ﾁﾞ", "ｯ", "ﾂ", "ﾂﾞ", "ﾃ", "ﾃﾞ", "ﾄ",
    "ﾄﾞ", "ﾅ", "ﾆ", "ﾇ", "ﾈ", "ﾉ", "ﾊ", "ﾊﾞ", "ﾊﾟ", "ﾋ",
    "ﾋﾞ", "ﾋﾟ", "ﾌ", "ﾌﾞ", "ﾌﾟ", "ﾍ", "ﾍﾞ", "ﾍﾟ", "ﾎ", "ﾎﾞ",
    "ﾎﾟ", "ﾏ", "ﾐ", "ﾑ", "ﾒ", "ﾓ", "ｬ", "ﾔ", "ｭ", "ﾕ",
    "ｮ", "ﾖ", "ﾗ", "ﾘ", "ﾙ", "ﾚ", "ﾛ", "ﾜ", "ﾜ", "ｲ",
    "ｴ", "ｦ", "ﾝ", "ｳﾞ", "ｶ", "ｹ", "ﾜﾞ", "ｲﾞ", "ｴﾞ", "ｦﾞ",
    // clang-format on
};
constexpr char32_t kFirstKatakana = 0x30A1;
static_assert(std::size(kHalfKatakana) == 0x30FA - kFirstKatakana + 1);

// The half-width form of one character, or null when it has none.
const char* HalfWidthOf(char32_t cp) {
    if (cp >= 0x3041 && cp <= 0x3096) cp += 0x60;  // hiragana to katakana
    if (cp >= kFirstKatakana && cp < kFirstKatakana + std::size(kHalfKatakana)) {
        return kHalfKatakana[cp - kFirstKatakana];
    }
    switch (cp) {
        case 0x3000:
            return " ";
        case 0x3001:
            return "､";
        case 0x3002:
            return "｡";
        case 0x300C:
            return "｢";
        case 0x300D:
            return "｣";
        case 0x309B:
            return "ﾞ";
        case 0x309C:
            return "ﾟ";
        case 0x30FB:
            return "･";
        case 0x30FC:
            return "ｰ";
        default:
            return nullptr;
    }
}

// The code point of the UTF-8 sequence at `i` and its length (1 for a byte
// that starts none; Cp932ToUtf8 gives only well-formed text anyway).
char32_t DecodeAt(const std::string& s, size_t i, size_t& length) {
    const auto c = static_cast<uint8_t>(s[i]);
    length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (i + length > s.size()) length = 1;
    if (length == 1) return c;
    char32_t cp = c & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) cp = (cp << 6) | (static_cast<uint8_t>(s[i + k]) & 0x3F);
    return cp;
}

// Whether the text has a double-byte character of the rows that hold the
// marks (0x81), hiragana (0x82) or katakana (0x83); only those change.
bool HasWideKana(std::string_view cp932) {
    for (size_t i = 0; i < cp932.size(); ++i) {
        const auto c = static_cast<uint8_t>(cp932[i]);
        if (c >= 0x81 && c <= 0x83) return true;
        if (IsCp932LeadByte(c)) ++i;
    }
    return false;
}

}  // namespace

std::string HalfWidthReading(std::string_view cp932) {
    if (!HasWideKana(cp932)) return std::string(cp932);
    const std::string utf8 = Cp932ToUtf8(cp932, false);
    std::string converted;
    converted.reserve(utf8.size());
    size_t length = 0;
    for (size_t i = 0; i < utf8.size(); i += length) {
        const char32_t cp = DecodeAt(utf8, i, length);
        if (const char* half = HalfWidthOf(cp)) {
            converted += half;
        } else {
            converted.append(utf8, i, length);
        }
    }
    return Utf8ToCp932(converted);
}
