// Code page 932 through Windows' own tables (MultiByteToWideChar and
// WideCharToMultiByte), held to the same results as the iconv form: the
// system's table knows a few things that form does not, and those are taken
// out here, so that one set of expectations holds on both.
//   - Decoding: the single bytes 0x80, 0xA0 and 0xFD..0xFF are no characters
//     (the system maps some of them to U+0080 or private-use characters).
//   - Encoding: no "best fit" of the system's (U+00E9 to "e" and the like),
//     and no U+0080; but the one-way forms that Japanese text from other
//     systems needs (U+301C WAVE DASH to the tilde 0x8160, U+2212 MINUS SIGN
//     to 0x817C, ...) as the iconv table has them.

#include "platform/Cp932.h"
#include "platform/Utf8Writer.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace {

constexpr UINT kCodePage = 932;
constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kYenSign = "\xC2\xA5";              // U+00A5

bool IsSingleByteCharacter(uint8_t c) {
    return c < 0x80 || (c >= 0xA1 && c <= 0xDF);
}

bool IsTrailByte(uint8_t c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// The code point of the well-formed UTF-8 sequence at the start of `s` and
// its length; length 0 when the bytes there are not one (stray continuation,
// overlong form, surrogate, above U+10FFFF, or cut short).
struct Decoded {
    char32_t cp = 0;
    size_t length = 0;
};
Decoded NextUtf8(std::string_view s) {
    auto b = [&](size_t i) { return static_cast<uint8_t>(s[i]); };
    auto cont = [&](size_t i) { return i < s.size() && (b(i) & 0xC0) == 0x80; };
    if (s.empty()) return {};
    const uint8_t c = b(0);
    if (c < 0x80) return {c, 1};
    if (c >= 0xC2 && c <= 0xDF) {
        if (!cont(1)) return {};
        return {static_cast<char32_t>(((c & 0x1F) << 6) | (b(1) & 0x3F)), 2};
    }
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2)) return {};
        if (c == 0xE0 && b(1) < 0xA0) return {};  // overlong
        if (c == 0xED && b(1) > 0x9F) return {};  // surrogate
        return {static_cast<char32_t>(((c & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F)),
                3};
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3)) return {};
        if (c == 0xF0 && b(1) < 0x90) return {};  // overlong
        if (c == 0xF4 && b(1) > 0x8F) return {};  // above U+10FFFF
        return {static_cast<char32_t>(((c & 0x07) << 18) | ((b(1) & 0x3F) << 12) |
                                      ((b(2) & 0x3F) << 6) | (b(3) & 0x3F)),
                4};
    }
    return {};
}

// The system's table read once into lookup tables (about 11 000 two-byte
// characters and the Basic Multilingual Plane), so that a large address
// book costs lookups, not a system call per character.
// Characters that other Japanese character sets use where code page 932 has
// a look-alike of its own: encoded to it, never decoded back.
struct OneWay {
    char16_t unit;
    uint16_t bytes;
};
constexpr OneWay kOneWayForms[] = {
    {0x00A2, 0x8191},  // CENT SIGN: FULLWIDTH CENT SIGN
    {0x00A3, 0x8192},  // POUND SIGN: FULLWIDTH POUND SIGN
    {0x00AC, 0x81CA},  // NOT SIGN: FULLWIDTH NOT SIGN
    {0x2014, 0x815C},  // EM DASH: HORIZONTAL BAR
    {0x2016, 0x8161},  // DOUBLE VERTICAL LINE: PARALLEL TO
    {0x203E, 0x007E},  // OVERLINE: TILDE
    {0x2212, 0x817C},  // MINUS SIGN: FULLWIDTH HYPHEN-MINUS
    {0x301C, 0x8160},  // WAVE DASH: FULLWIDTH TILDE
};

class Tables {
public:
    Tables() {
        for (unsigned c = 0x80; c <= 0xFF; ++c) {
            if (IsSingleByteCharacter(static_cast<uint8_t>(c))) m_single[c] = Decode({char(c)});
        }
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsCp932LeadByte(static_cast<uint8_t>(lead))) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (!IsTrailByte(static_cast<uint8_t>(trail))) continue;
                m_double[(lead << 8) | trail] = Decode({char(lead), char(trail)});
            }
        }
        for (unsigned cp = 0x80; cp <= 0xFFFF; ++cp) {
            if (cp >= 0xD800 && cp <= 0xDFFF) continue;
            m_encode[cp] = Encode(static_cast<wchar_t>(cp));
        }
        for (const OneWay& form : kOneWayForms) m_encode[form.unit] = form.bytes;
    }

    // The UTF-16 unit of a single byte 0x80..0xFF or of a two-byte
    // character, 0 for none.
    char16_t Single(uint8_t c) const { return m_single[c]; }
    char16_t Double(uint8_t lead, uint8_t trail) const { return m_double[(lead << 8) | trail]; }
    // The code page 932 form of a character U+0080..U+FFFF: one byte, or a
    // lead byte above a trail byte; 0 for none.
    uint16_t Encoded(char16_t unit) const { return m_encode[unit]; }

private:
    static char16_t Decode(const std::string& bytes) {
        wchar_t wide[2];
        const int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                          static_cast<int>(bytes.size()), wide, 2);
        return n == 1 ? static_cast<char16_t>(wide[0]) : 0;
    }
    static uint16_t Encode(wchar_t unit) {
        char bytes[4];
        BOOL usedDefault = FALSE;
        const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &unit, 1, bytes,
                                          sizeof bytes, nullptr, &usedDefault);
        if (usedDefault || n < 1 || n > 2) return 0;
        // The table must give the character back: anything else is a best fit.
        const char16_t back = n == 1 ? Decode({bytes[0]}) : Decode({bytes[0], bytes[1]});
        if (back != static_cast<char16_t>(unit)) return 0;
        const auto b0 = static_cast<uint8_t>(bytes[0]);
        // Single bytes that are no character here (0x80 for U+0080).
        if (n == 1 && !IsSingleByteCharacter(b0)) return 0;
        return n == 1 ? b0 : static_cast<uint16_t>((b0 << 8) | static_cast<uint8_t>(bytes[1]));
    }

    char16_t m_single[256] = {};
    char16_t m_double[65536] = {};
    uint16_t m_encode[65536] = {};
};

const Tables& TheTables() {
    static const auto* tables = new Tables();  // kept to the end of the program
    return *tables;
}

}  // namespace

bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::string Cp932ToUtf8(std::string_view cp932, bool yenForBackslash) {
    const Tables& tables = TheTables();
    std::string utf8;
    utf8.reserve(cp932.size() * 3 / 2);
    while (!cp932.empty()) {
        const uint8_t c = static_cast<uint8_t>(cp932.front());
        if (c < 0x80) {
            // The byte 0x5C alone (never a trail byte) is the yen sign on screen.
            if (c == 0x5C && yenForBackslash)
                utf8 += kYenSign;
            else
                utf8 += static_cast<char>(c);
            cp932.remove_prefix(1);
            continue;
        }
        char16_t unit = 0;
        size_t length = 1;
        if (IsSingleByteCharacter(c)) {
            unit = tables.Single(c);
        } else if (IsCp932LeadByte(c) && cp932.size() >= 2 &&
                   IsTrailByte(static_cast<uint8_t>(cp932[1]))) {
            unit = tables.Double(c, static_cast<uint8_t>(cp932[1]));
            length = 2;
        }
        if (unit != 0) {
            AppendUtf8(unit, utf8);
            cp932.remove_prefix(length);
        } else {
            // An invalid or cut-short character: mark its first byte and
            // resynchronise on the next one.
            utf8 += kReplacementChar;
            cp932.remove_prefix(1);
        }
    }
    return utf8;
}

std::string Utf8ToCp932(std::string_view utf8) {
    const Tables& tables = TheTables();
    std::string cp932;
    cp932.reserve(utf8.size());
    while (!utf8.empty()) {
        const Decoded d = NextUtf8(utf8);
        if (d.length == 0) {
            utf8.remove_prefix(1);  // bytes that are not UTF-8, one by one
            continue;
        }
        utf8.remove_prefix(d.length);
        if (d.cp < 0x80) {
            cp932 += static_cast<char>(d.cp);
        } else if (d.cp == 0xA5) {
            cp932 += '\\';  // the yen sign is the byte 0x5C
        } else if (d.cp < 0x10000) {
            const uint16_t bytes = tables.Encoded(static_cast<char16_t>(d.cp));
            if (bytes > 0xFF) cp932 += static_cast<char>(bytes >> 8);
            if (bytes != 0) cp932 += static_cast<char>(bytes & 0xFF);
        }
        // Above U+FFFF code page 932 has nothing: dropped.
    }
    return cp932;
}
