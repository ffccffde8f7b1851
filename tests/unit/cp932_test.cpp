#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

#include "support/HexText.h"

namespace {

const std::string kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// The code page's lead bytes, wider than the text cutting rule's.
TEST(Cp932Test, CodePageLeadBytesReachTo0xFC) {
    const std::pair<unsigned char, bool> cases[] = {
        {0x40, false}, {0x80, false}, {0x81, true},  {0x9F, true}, {0xA0, false},
        {0xDF, false}, {0xE0, true},  {0xEF, true},  {0xF0, true}, {0xFA, true},
        {0xFC, true},  {0xFD, false}, {0xFF, false},
    };
    for (const auto& [byte, lead] : cases) {
        EXPECT_EQ(IsCp932LeadByte(byte), lead) << "byte " << int(byte);
    }
}

TEST(Cp932Test, ToUtf8) {
    struct Case {
        const char* name;
        std::string cp932;
        bool yen;
        std::string utf8;
    };
    const Case cases[] = {
        {"ASCII", "Az09 ~", true, "Az09 ~"},
        {"0x5C shows as yen", "C:\x5C", true, "C:¥"},
        {"0x5C as backslash on request", "C:\x5C", false, "C:\\"},
        {"trail byte 0x5C is not a yen", "\x95\x5C\x83\x5C", true, "表ソ"},
        {"hiragana and half-width kana", "\x82\xA0\xB1\xDE", true, "あｱﾞ"},
        {"full-width yen", "\x81\x8F", true, "￥"},
        {"empty", "", true, ""},
        {"lead byte cut short at the end", "a\x81", true, "a" + kReplacement},
        {"lead byte with a bad trail", "\x81\x20", true, kReplacement + " "},
        {"undefined single bytes", "\x80\xA0\xFD\xFE\xFF", true,
         kReplacement + kReplacement + kReplacement + kReplacement + kReplacement},
        {"text goes on after a bad byte", "\xFF\x82\xA0\x5C", true, kReplacement + "あ¥"},
        {"NUL kept", std::string("a\0b", 3), true, std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Hex(Cp932ToUtf8(c.cp932, c.yen)), Hex(c.utf8)) << c.name;
    }
}

TEST(Cp932Test, FromUtf8) {
    struct Case {
        const char* name;
        std::string utf8;
        std::string cp932;
    };
    const Case cases[] = {
        {"ASCII", "Az09 ~", "Az09 ~"},
        {"yen to 0x5C", "¥100",
         "\x5C"
         "100"},
        {"backslash to 0x5C", "\\", "\x5C"},
        {"kanji with trail 0x5C", "表", "\x95\x5C"},
        {"kana", "あｱﾞガ", "\x82\xA0\xB1\xDE\x83\x4B"},
        {"full-width yen", "￥", "\x81\x8F"},
        {"emoji dropped", "a😀b", "ab"},
        {"character outside the code page dropped", "x€ÿ𠮷y", "xy"},
        {"invalid byte dropped",
         "a\xFF"
         "b",
         "ab"},
        {"stray continuation byte dropped",
         "a\x80"
         "b",
         "ab"},
        {"overlong form dropped",
         "a\xC0\xAF"
         "b",
         "ab"},
        {"encoded surrogate dropped",
         "a\xED\xA0\x80"
         "b",
         "ab"},
        {"cut-short sequence before text",
         "\xE3\x81"
         "b",
         "b"},
        {"cut-short sequence at the end", "b\xE3\x81", "b"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Hex(Utf8ToCp932(c.utf8)), Hex(c.cp932)) << c.name;
    }
}

TEST(Cp932Test, FromUtf16) {
    struct Case {
        const char* name;
        std::u16string utf16;
        std::string cp932;
    };
    const Case cases[] = {
        {"kana and Latin", u"あA",
         "\x82\xA0"
         "A"},
        {"yen to 0x5C", u"¥", "\x5C"},
        {"kanji", u"表示", "\x95\x5C\x8E\xA6"},
        {"half-width kana", u"ｶﾞ", "\xB6\xDE"},
        {"surrogate pair outside the code page dropped", u"a\U0001F600b", "ab"},
        {"lone high surrogate dropped",
         std::u16string(u"a\xD800"
                        u"b"),
         "ab"},
        {"lone low surrogate dropped",
         std::u16string(u"a\xDC00"
                        u"b"),
         "ab"},
        {"high surrogate at the end dropped", std::u16string(u"a\xD83D"), "a"},
        {"empty", u"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Hex(Utf16ToCp932(c.utf16)), Hex(c.cp932)) << c.name;
    }
}

// Every single byte character, and every double-byte character of the
// standard rows, comes back as the same bytes. (Some vendor rows share their
// characters with other rows and come back as those, so they are checked by
// their text only.)
TEST(Cp932Test, RoundTripOfEveryCharacter) {
    int checked = 0;
    auto check = [&](const std::string& bytes, bool exact) {
        std::string utf8 = Cp932ToUtf8(bytes);
        if (utf8.find(kReplacement) != std::string::npos) return;  // not a character
        ++checked;
        std::string back = Utf8ToCp932(utf8);
        if (exact) {
            EXPECT_EQ(Hex(back), Hex(bytes));
        } else {
            EXPECT_EQ(Cp932ToUtf8(back), utf8) << Hex(bytes);
        }
    };
    for (int c = 0x00; c <= 0xFF; ++c) {
        check(std::string(1, static_cast<char>(c)), true);
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead <= 0xDF) continue;
        bool standard = (lead >= 0x81 && lead <= 0x84) || (lead >= 0x88 && lead <= 0x9F) ||
                        (lead >= 0xE0 && lead <= 0xEA);
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            check({static_cast<char>(lead), static_cast<char>(trail)}, standard);
        }
    }
    // Single bytes (128 ASCII + 63 kana) and the JIS rows are all there.
    EXPECT_GT(checked, 191 + 6800);
}

}  // namespace
