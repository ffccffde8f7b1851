#include "textpad/CharConvert.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using Cell = std::pair<int, int>;  // row, column

// One cell of the phone's character table, written out cell by cell: the
// narrow byte and every wide code (lead << 8 | trail) that shares the cell.
struct TableCell {
    int row;
    int column;
    uint8_t narrow;
    std::vector<uint16_t> wide;
};

// Columns 1 to 5: kana rows, parentheses, voicing marks, punctuation, digits.
const std::vector<TableCell> kKanaCells = {
    {1, 1, 0xB1, {0x82A0}},
    {1, 2, 0xB2, {0x82A2, 0x82EE}},
    {1, 3, 0xB3, {0x82A4}},
    {1, 4, 0xB4, {0x82A6, 0x82EF}},
    {1, 5, 0xB5, {0x82A8}},
    {2, 1, 0xB6, {0x82A9, 0x82AA}},
    {2, 2, 0xB7, {0x82AB, 0x82AC}},
    {2, 3, 0xB8, {0x82AD, 0x82AE}},
    {2, 4, 0xB9, {0x82AF, 0x82B0}},
    {2, 5, 0xBA, {0x82B1, 0x82B2}},
    {3, 1, 0xBB, {0x82B3, 0x82B4}},
    {3, 2, 0xBC, {0x82B5, 0x82B6}},
    {3, 3, 0xBD, {0x82B7, 0x82B8}},
    {3, 4, 0xBE, {0x82B9, 0x82BA}},
    {3, 5, 0xBF, {0x82BB, 0x82BC}},
    {4, 1, 0xC0, {0x82BD, 0x82BE}},
    {4, 2, 0xC1, {0x82BF, 0x82C0}},
    {4, 3, 0xC2, {0x82C2, 0x82C3}},
    {4, 4, 0xC3, {0x82C4, 0x82C5}},
    {4, 5, 0xC4, {0x82C6, 0x82C7}},
    {5, 1, 0xC5, {0x82C8}},
    {5, 2, 0xC6, {0x82C9}},
    {5, 3, 0xC7, {0x82CA}},
    {5, 4, 0xC8, {0x82CB}},
    {5, 5, 0xC9, {0x82CC}},
    {6, 1, 0xCA, {0x82CD, 0x82CE, 0x82CF}},
    {6, 2, 0xCB, {0x82D0, 0x82D1, 0x82D2}},
    {6, 3, 0xCC, {0x82D3, 0x82D4, 0x82D5}},
    {6, 4, 0xCD, {0x82D6, 0x82D7, 0x82D8}},
    {6, 5, 0xCE, {0x82D9, 0x82DA, 0x82DB}},
    {7, 1, 0xCF, {0x82DC}},
    {7, 2, 0xD0, {0x82DD}},
    {7, 3, 0xD1, {0x82DE}},
    {7, 4, 0xD2, {0x82DF}},
    {7, 5, 0xD3, {0x82E0}},
    {8, 1, 0xD4, {0x82E2}},
    {8, 2, 0x28, {0x8169}},
    {8, 3, 0xD5, {0x82E4}},
    {8, 4, 0x29, {0x816A}},
    {8, 5, 0xD6, {0x82E6}},
    {9, 1, 0xD7, {0x82E7}},
    {9, 2, 0xD8, {0x82E8}},
    {9, 3, 0xD9, {0x82E9}},
    {9, 4, 0xDA, {0x82EA}},
    {9, 5, 0xDB, {0x82EB}},
    {10, 1, 0xDC, {0x82ED}},
    {10, 2, 0xA6, {0x82F0}},
    {10, 3, 0xDD, {0x82F1}},
    {10, 4, 0xDE, {0x814A}},
    {10, 5, 0xDF, {0x814B}},
    {11, 1, 0xA7, {0x829F}},
    {11, 2, 0xA8, {0x82A1}},
    {11, 3, 0xA9, {0x82A3}},
    {11, 4, 0xAA, {0x82A5}},
    {11, 5, 0xAB, {0x82A7}},
    {12, 1, 0xAF, {0x82C1}},
    {12, 2, 0xAC, {0x82E1}},
    {12, 3, 0xAD, {0x82E3}},
    {12, 4, 0xAE, {0x82E5}},
    {12, 5, 0xB0, {0x815B}},
    {13, 1, 0xA4, {0x8141}},
    {13, 2, 0xA1, {0x8142}},
    {13, 3, 0xA5, {0x8145}},
    {13, 4, 0x21, {0x8149}},
    {13, 5, 0x3F, {0x8148}},
    {14, 1, 0x31, {0x8250}},
    {14, 2, 0x32, {0x8251}},
    {14, 3, 0x33, {0x8252}},
    {14, 4, 0x34, {0x8253}},
    {14, 5, 0x35, {0x8254}},
    {15, 1, 0x36, {0x8255}},
    {15, 2, 0x37, {0x8256}},
    {15, 3, 0x38, {0x8257}},
    {15, 4, 0x39, {0x8258}},
    {15, 5, 0x30, {0x824F}},
};

// Rows 7 to 9 and 15, columns 6 to 15: the symbols.
const std::vector<TableCell> kSymbolCells = {
    {7, 6, 0x40, {0x8197}},  {7, 7, 0x2E, {0x8144}},  {7, 8, 0x2F, {0x815E}},
    {7, 9, 0x2C, {0x8143}},  {7, 10, 0x2D, {0x817C}}, {7, 11, 0x5F, {0x8151}},
    {7, 12, 0x3A, {0x8146}}, {7, 13, 0x27, {0x8166}}, {7, 15, 0x26, {0x8195}},
    {8, 6, 0x22, {0x8168}},  {8, 7, 0x24, {0x8190}},  {8, 8, 0x25, {0x8193}},
    {8, 9, 0x2B, {0x817B}},  {8, 10, 0x3B, {0x8147}}, {8, 11, 0x3C, {0x8183}},
    {8, 12, 0x3D, {0x8181}}, {8, 13, 0x3E, {0x8184}}, {8, 14, 0x5C, {0x818F}},
    {8, 15, 0x5B, {0x816D}}, {9, 6, 0x5D, {0x816E}},  {9, 7, 0x5E, {0x814F}},
    {9, 8, 0x7B, {0x816F}},  {9, 9, 0x7C, {0x8162}},  {9, 10, 0x7D, {0x8170}},
    {9, 11, 0xA2, {0x8175}}, {9, 12, 0xA3, {0x8176}}, {9, 13, 0x7E, {0x8160}},
    {9, 14, 0x20, {0x8140}}, {9, 15, 0x60, {0x814D}}, {15, 6, 0x23, {0x8194}},
    {15, 7, 0x2A, {0x8196}},
};

// Rows 1 to 6, columns 6 to 15: the letters, read off the grid row by row.
// Full-width Ａ..Ｚ are 0x8260.., ａ..ｚ are 0x8281...
std::vector<TableCell> LetterCells() {
    const char* rows[] = {"ABCDEFGHIJ", "KLMNOPQRST", "UVWXYZ",
                          "abcdefghij", "klmnopqrst", "uvwxyz"};
    std::vector<TableCell> cells;
    for (int r = 0; r < 6; ++r) {
        for (int i = 0; rows[r][i] != '\0'; ++i) {
            char c = rows[r][i];
            uint16_t wide = c <= 'Z' ? 0x8260 + (c - 'A') : 0x8281 + (c - 'a');
            cells.push_back({r + 1, 6 + i, static_cast<uint8_t>(c), {wide}});
        }
    }
    return cells;
}

struct ExpectedTable {
    std::map<uint8_t, Cell> narrow;
    std::map<uint16_t, Cell> wide;
};

const ExpectedTable& Expected() {
    static const ExpectedTable table = [] {
        ExpectedTable t;
        for (const auto* part : {&kKanaCells, &kSymbolCells}) {
            for (const TableCell& c : *part) {
                t.narrow[c.narrow] = {c.row, c.column};
                for (uint16_t w : c.wide) t.wide[w] = {c.row, c.column};
            }
        }
        for (const TableCell& c : LetterCells()) {
            t.narrow[c.narrow] = {c.row, c.column};
            t.wide[c.wide[0]] = {c.row, c.column};
        }
        return t;
    }();
    return table;
}

constexpr CharPos kUntouched{0xEE, 0xDD};

Cell AsCell(const CharPos& p) {
    return {p.row, p.column};
}

TEST(CharConvertTest, ExpectedTableHasEveryCellOnce) {
    // Guards the hand-written table above against slips.
    ASSERT_EQ(Expected().narrow.size(), 158u);
    ASSERT_EQ(Expected().wide.size(), 185u);
    std::set<Cell> cells;
    for (const auto& [code, cell] : Expected().narrow) cells.insert(cell);
    EXPECT_EQ(cells.size(), 158u);
}

TEST(CharConvertTest, NarrowConversionOfEveryByte) {
    int mapped = 0;
    for (int c = 0; c <= 0xFF; ++c) {
        SCOPED_TRACE(testing::Message() << "byte 0x" << std::hex << c);
        CharPos pos = kUntouched;
        int result = ConvertNarrowChar(static_cast<uint8_t>(c), pos);
        auto it = Expected().narrow.find(static_cast<uint8_t>(c));
        if (it != Expected().narrow.end()) {
            ++mapped;
            EXPECT_EQ(result, 1);
            EXPECT_EQ(AsCell(pos), it->second);
        } else {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(AsCell(pos), AsCell(kUntouched));
        }
    }
    EXPECT_EQ(mapped, 158);
}

TEST(CharConvertTest, WideConversionOfEveryBytePair) {
    int mapped = 0;
    for (int lead = 0; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail <= 0xFF; ++trail) {
            SCOPED_TRACE(testing::Message() << "code 0x" << std::hex << (lead << 8 | trail));
            CharPos pos = kUntouched;
            int result =
                ConvertWideChar(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail), pos);
            auto it = Expected().wide.find(static_cast<uint16_t>(lead << 8 | trail));
            if (it != Expected().wide.end()) {
                ++mapped;
                EXPECT_EQ(result, 1);
                EXPECT_EQ(AsCell(pos), it->second);
            } else {
                EXPECT_EQ(result, 0);
                EXPECT_EQ(AsCell(pos), AsCell(kUntouched));
            }
        }
    }
    EXPECT_EQ(mapped, 185);
}

TEST(CharConvertTest, EmptyCellsAreNeverProduced) {
    std::set<Cell> produced;
    for (int a = 0; a <= 0xFF; ++a) {
        CharPos pos;
        if (ConvertNarrowChar(static_cast<uint8_t>(a), pos)) produced.insert(AsCell(pos));
        for (int b = 0; b <= 0xFF; ++b) {
            if (ConvertWideChar(static_cast<uint8_t>(a), static_cast<uint8_t>(b), pos))
                produced.insert(AsCell(pos));
        }
    }
    const Cell empty[] = {{7, 14}, {3, 12}, {3, 13}, {3, 14}, {3, 15},
                          {6, 12}, {6, 13}, {6, 14}, {6, 15}};
    for (const Cell& c : empty) {
        EXPECT_EQ(produced.count(c), 0u) << "(" << c.first << ", " << c.second << ")";
    }
    EXPECT_EQ(produced.size(), 158u);
    for (const Cell& c : produced) {
        EXPECT_TRUE(c.first >= 1 && c.first <= 15 && c.second >= 1 && c.second <= 15);
    }
}

TEST(CharConvertTest, DialCharToCode) {
    const std::pair<std::string, DialCode> cases[] = {
        {"1", 0x91},
        {"2", 0x92},
        {"3", 0x93},
        {"4", 0x94},
        {"5", 0x95},
        {"6", 0x96},
        {"7", 0x97},
        {"8", 0x98},
        {"9", 0x99},
        {"0", 0x9A},
        {"*", 0x9B},
        {"#", 0x9C},
        {"", 0x00},
        {"12", 0x91},
        {"-", 0x00},
        {"a1", 0x00},
        {"+", 0x00},
        {" ", 0x00},
        {std::string(1, '\0'), 0x00},
        {"\x82\x50", 0x00},
        {"\x91", 0x00},
    };
    for (const auto& [text, code] : cases) {
        EXPECT_EQ(DialCharToCode(text), code) << "text \"" << text << "\"";
    }
}

TEST(CharConvertTest, DialCodeToCharOfEveryByte) {
    const std::string keys = "1234567890*#";
    for (int b = 0; b <= 0xFF; ++b) {
        char expected = b >= 0x91 && b <= 0x9C ? keys[b - 0x91] : 0;
        EXPECT_EQ(DialCodeToChar(static_cast<uint8_t>(b)), expected) << "byte " << b;
        if (expected != 0) {
            EXPECT_EQ(DialCharToCode(std::string(1, expected)), b);
        }
    }
}

}  // namespace
