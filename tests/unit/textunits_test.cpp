#include "textpad/TextUnits.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/Cp932.h"
#include "support/HexText.h"
#include "textpad/CharConvert.h"

namespace {

// Test texts are written in UTF-8 and handed to the code as code page 932.
std::string Sjis(const char* utf8) {
    return Utf8ToCp932(utf8);
}

TEST(TextUnitsTest, VoicedKanaTableRowsInOrder) {
    const char* rows[25][2] = {
        {"が", "か゛"}, {"ぎ", "き゛"}, {"ぐ", "く゛"}, {"げ", "け゛"}, {"ご", "こ゛"},
        {"ざ", "さ゛"}, {"じ", "し゛"}, {"ず", "す゛"}, {"ぜ", "せ゛"}, {"ぞ", "そ゛"},
        {"だ", "た゛"}, {"ぢ", "ち゛"}, {"づ", "つ゛"}, {"で", "て゛"}, {"ど", "と゛"},
        {"ば", "は゛"}, {"び", "ひ゛"}, {"ぶ", "ふ゛"}, {"べ", "へ゛"}, {"ぼ", "ほ゛"},
        {"ぱ", "は゜"}, {"ぴ", "ひ゜"}, {"ぷ", "ふ゜"}, {"ぺ", "へ゜"}, {"ぽ", "ほ゜"},
    };
    for (int i = 0; i < 25; ++i) {
        SCOPED_TRACE(rows[i][0]);
        EXPECT_EQ(Hex(VoicedKanaTable[i].voiced), Hex(Sjis(rows[i][0])));
        EXPECT_EQ(Hex(VoicedKanaTable[i].replacement), Hex(Sjis(rows[i][1])));
    }
}

TEST(TextUnitsTest, SplitVoicedKana) {
    struct Case {
        const char* name;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"voiced and semi-voiced", Sjis("がぱ"), Sjis("か゛は゜")},
        {"every row", Sjis("がぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽ"),
         Sjis("か゛き゛く゛け゛こ゛さ゛し゛す゛せ゛そ゛た゛ち゛つ゛て゛と゛"
              "は゛ひ゛ふ゛へ゛ほ゛は゜ひ゜ふ゜へ゜ほ゜")},
        {"mixed text", Sjis("Aでんわ1ばん"), Sjis("Aて゛んわ1は゛ん")},
        {"no voiced kana", Sjis("かきくABC123、。"), Sjis("かきくABC123、。")},
        {"half-width voiced pair", "\xB6\xDE", "\xB6\xDE"},
        {"full-width katakana", Sjis("ガパヴ"), Sjis("ガパヴ")},
        {"empty", "", ""},
        // 0x88 0x82 is one character; the 0x82 0xAA across the boundary is no が.
        {"trail byte then lead byte", "\x88\x82\xAA", "\x88\x82\xAA"},
        {"after a single byte", "A\x82\xAA", "A\x82\xA9\x81\x4A"},
        {"lead byte at the end", "\x82\xAA\x82", "\x82\xA9\x81\x4A\x82"},
        {"lone lead byte", "\x82", "\x82"},
        // Lead bytes beyond the cutting rule's still begin a character here.
        {"extended kanji then half-width katakana", "\xFA\x82\xAA", "\xFA\x82\xAA"},
        {"after a character led by 0xFC", "\xFC\x82\xAA\x82\xAA", "\xFC\x82\xAA\x82\xA9\x81\x4A"},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        SplitVoicedKana(text);
        EXPECT_EQ(Hex(text), Hex(c.expected)) << c.name;
    }
}

// The cutting rule's own lead bytes, narrower than the code page's.
TEST(TextUnitsTest, CuttingRuleLeadBytesEndAt0xEF) {
    const std::pair<unsigned char, bool> cases[] = {
        {0x00, false}, {0x5C, false}, {0x7F, false}, {0x80, false}, {0x81, true},
        {0x82, true},  {0x9F, true},  {0xA0, false}, {0xB1, false}, {0xDF, false},
        {0xE0, true},  {0xEF, true},  {0xF0, false}, {0xFC, false}, {0xFF, false},
    };
    for (const auto& [byte, lead] : cases) {
        EXPECT_EQ(IsCuttingLeadByte(byte), lead) << "byte " << int(byte);
    }
}

TEST(TextUnitsTest, CutTextUnits) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<TextUnit> expected;
    };
    const Case cases[] = {
        {"lead byte in the last position", "\x41\x82\xA0\x82", {"\x41", "\x82\xA0", "\x82"}},
        {"empty", "", {}},
        {"single bytes", "a1 \xB1", {"a", "1", " ", "\xB1"}},
        {"trail byte 0x5C stays with its lead", "\x95\x5C\x5C", {"\x95\x5C", "\x5C"}},
        {"lead 0xE0..0xEF", "\xE0\x40\xEF\xFC", {"\xE0\x40", "\xEF\xFC"}},
        {"lead 0xF0 and above cut in two", "\xF0\x40\xFC\xFC", {"\xF0", "\x40", "\xFC", "\xFC"}},
        {"half-width voiced pair", "\xB6\xDE", {"\xB6", "\xDE"}},
        {"lone lead byte", "\x81", {"\x81"}},
        {"lead byte then lead byte", "\x81\x81\x81", {"\x81\x81", "\x81"}},
        {"NUL is a unit", std::string("a\0b", 3), {"a", std::string(1, '\0'), "b"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CutTextUnits(c.text), c.expected) << c.name;
    }
}

// What the control pad does before sending: split, cut, then convert each
// unit; units without a cell are dropped.
TEST(TextUnitsTest, SplitCutAndConvertGivesCells) {
    std::string text = Sjis("がA漢ｶﾞ") + "\x82";
    SplitVoicedKana(text);
    std::vector<std::pair<int, int>> cells;
    for (const TextUnit& unit : CutTextUnits(text)) {
        CharPos pos;
        const auto* b = reinterpret_cast<const uint8_t*>(unit.data());
        int ok = unit.size() == 1 ? ConvertNarrowChar(b[0], pos) : ConvertWideChar(b[0], b[1], pos);
        if (ok) cells.emplace_back(pos.row, pos.column);
    }
    const std::vector<std::pair<int, int>> expected = {{2, 1}, {10, 4}, {1, 6}, {2, 1}, {10, 4}};
    EXPECT_EQ(cells, expected);
}

}  // namespace
