#include "handset/SkinButtons.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(SkinButtons, RectanglesHoldTheirLeftAndTopEdgesButNotTheirRightAndBottom) {
    const SkinRect rect{10, 20, 30, 25};
    struct Row {
        int x, y;
        bool inside;
    };
    const Row rows[] = {{10, 20, true}, {29, 24, true},  {30, 24, false}, {29, 25, false},
                        {9, 22, false}, {15, 19, false}, {20, 22, true}};
    for (const Row& r : rows)
        EXPECT_EQ(RectContains(rect, r.x, r.y), r.inside) << r.x << "," << r.y;
    // An empty rectangle (absent key) holds nothing, not even its corner.
    EXPECT_FALSE(RectContains(SkinRect{}, 0, 0));
    EXPECT_FALSE(RectContains(SkinRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, INT32_MAX, 0));
}

TEST(SkinButtons, TheLowestButtonIndexWinsWhereRectanglesOverlap) {
    SkinRect buttons[SKIN_BUTTON_COUNT]{};
    buttons[BTN_SEND] = {0, 0, 100, 100};  // under everything below
    buttons[3] = {10, 10, 30, 30};
    buttons[5] = {20, 20, 40, 40};
    buttons[BTN_CALL] = {50, 50, 60, 60};
    struct Row {
        int x, y, button;
    };
    const Row rows[] = {{25, 25, 3},        {35, 35, 5},        {15, 15, 3},
                        {55, 55, BTN_SEND}, {99, 99, BTN_SEND}, {100, 50, NO_BUTTON},
                        {-1, 0, NO_BUTTON}, {0, 0, BTN_SEND}};
    for (const Row& r : rows)
        EXPECT_EQ(HitTestButton(buttons, SKIN_BUTTON_COUNT, r.x, r.y), r.button)
            << r.x << "," << r.y;
    // Only the first `count` rectangles are tried.
    EXPECT_EQ(HitTestButton(buttons, 4, 55, 55), NO_BUTTON);
    EXPECT_EQ(HitTestButton(buttons, 0, 25, 25), NO_BUTTON);
}

TEST(SkinButtons, TypedCharactersPressTheirButtonsAndNothingElseDoes) {
    for (char c = '0'; c <= '9'; ++c) EXPECT_EQ(ButtonForCharacter(c), BTN_0 + (c - '0'));
    EXPECT_EQ(ButtonForCharacter('*'), BTN_AS);
    EXPECT_EQ(ButtonForCharacter('#'), BTN_SH);
    EXPECT_EQ(ButtonForCharacter('c'), BTN_CALL);
    EXPECT_EQ(ButtonForCharacter('q'), BTN_QUIT);
    EXPECT_EQ(ButtonForCharacter('s'), BTN_SEND);
    for (char c : {'C', 'Q', 'S', 'x', ' ', '\b', '\x1b', '\0', '+', '\x5C'})
        EXPECT_EQ(ButtonForCharacter(c), NO_BUTTON) << int(c);
    EXPECT_EQ(ButtonForCharacter(static_cast<char>(0xB1)), NO_BUTTON);
}

TEST(SkinButtons, DialKeysAreTheTwelveKeypadButtons) {
    const char expected[] = "0123456789*#";
    for (int b = 0; b < 12; ++b) {
        EXPECT_EQ(DialCharacter(b), expected[b]) << b;
        EXPECT_TRUE(IsDialKey(b));
    }
    for (int b : {int(BTN_SEND), int(BTN_QUIT), int(BTN_CLEAR), int(BTN_CALL), int(SKIN_DISPLAY1),
                  NO_BUTTON, 99})
        EXPECT_FALSE(IsDialKey(b)) << b;
}

TEST(SkinButtons, TheWindowMovesFromTenPixelsOfCursorTravelOn) {
    struct Row {
        int64_t dx, dy;
        bool moves;
    };
    const Row rows[] = {{9, 0, false},  {10, 0, true},
                        {0, -9, false}, {0, -10, true},
                        {5, 4, false},  {5, 5, true},
                        {-6, 4, true},  {-4, -5, false},
                        {0, 0, false},  {INT32_MIN, INT32_MIN, true}};
    for (const Row& r : rows) EXPECT_EQ(DragMoves(r.dx, r.dy), r.moves) << r.dx << "," << r.dy;
}

TEST(SkinButtons, ClearTakesOneCharacterOrTheWholeCharge) {
    struct Row {
        const char* before;
        bool append;
        const char* after;
    };
    const Row rows[] = {
        {"123", true, "12"},
        {"1", true, ""},
        {"", true, ""},
        {"", false, ""},
        {"Charge \\120", false, ""},
        {"0\x82\x50", true, "0"},  // a double-byte digit goes whole
        {"0\x82", true, "0"},      // a lone lead byte at the end is one character
        {"\x82\x50\x82\x51", true, "\x82\x50"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(ClearLastCharacter(r.before, r.append), r.after) << r.before;
}

}  // namespace
