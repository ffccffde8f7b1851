#include "handset/SkinDefinition.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// Answers lookups from a table, as an open skin file would.
class TableLookup final : public SkinLookup {
public:
    std::map<std::string, std::string> strings;
    std::map<std::string, int32_t> ints;
    std::map<std::string, SkinRect> rects;

    std::string GetSkinString(const std::string& key) override {
        auto it = strings.find(key);
        return it == strings.end() ? std::string() : it->second;
    }
    int32_t GetSkinInt(const std::string& key) override {
        auto it = ints.find(key);
        return it == ints.end() ? 0 : it->second;
    }
    SkinRect GetSkinRect(const std::string& key) override {
        auto it = rects.find(key);
        return it == rects.end() ? SkinRect{} : it->second;
    }
};

bool Same(const SkinRect& a, const SkinRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(SkinDefinition, AFileWithOnlyTheBitmapGivesTheDefaults) {
    TableLookup lookup;
    lookup.strings["BMPFILE"] = "skin.bmp";
    const SkinDefinition skin = ReadSkinDefinition(lookup);
    EXPECT_EQ(skin.bitmapFile, "skin.bmp");
    EXPECT_EQ(skin.transparent, (SkinColour{0, 0, 0}));
    EXPECT_EQ(skin.fontSize, 10);
    for (const SkinRect& r : skin.elements) EXPECT_TRUE(Same(r, SkinRect{}));
}

TEST(SkinDefinition, AnAbsentOrEmptyBitmapNameMeansDefaultBmp) {
    TableLookup lookup;
    EXPECT_EQ(ReadSkinDefinition(lookup).bitmapFile, "default.bmp");
    lookup.strings["BMPFILE"] = "";
    EXPECT_EQ(ReadSkinDefinition(lookup).bitmapFile, "default.bmp");
}

TEST(SkinDefinition, KeepsOnlyTheLowEightBitsOfTheTransparentColour) {
    TableLookup lookup;
    lookup.ints = {{"TP_R", 256}, {"TP_G", 0x1FF}, {"TP_B", -1}};
    EXPECT_EQ(ReadSkinDefinition(lookup).transparent, (SkinColour{0, 0xFF, 0xFF}));
}

TEST(SkinDefinition, NormalisesEveryRectangleThenMovesItByTheOffsets) {
    TableLookup lookup;
    lookup.ints = {{"DIFF_X", -5}, {"DIFF_Y", 3}};
    lookup.rects["BTN_SEND"] = {100, 50, 10, 20};  // right < left, bottom < top
    lookup.rects["PICTURE"] = {10, 20, 30, 40};
    lookup.rects["ANTENNA"] = {1, 1, 2, 2};
    const SkinDefinition skin = ReadSkinDefinition(lookup);
    EXPECT_TRUE(Same(skin.Button(BTN_SEND), {5, 23, 95, 53}));
    EXPECT_TRUE(Same(skin.Picture(), {5, 23, 25, 43}));
    EXPECT_TRUE(Same(skin.Antenna(), {-4, 4, -3, 5}));
    // An absent element is empty, moved like the others.
    EXPECT_TRUE(Same(skin.Button(BTN_0), {-5, 3, -5, 3}));
}

TEST(SkinDefinition, ElementsFollowTheKeyTable) {
    TableLookup lookup;
    for (int i = 0; i < SKIN_ELEMENT_COUNT; ++i)
        lookup.rects[SkinKeyTable[i]] = {i, i, i + 1, i + 1};
    const SkinDefinition skin = ReadSkinDefinition(lookup);
    for (int i = 0; i < SKIN_ELEMENT_COUNT; ++i)
        EXPECT_EQ(skin.elements[i].left, i) << SkinKeyTable[i];
    EXPECT_STREQ(SkinKeyTable[BTN_CALL], "BTN_CALL");
    EXPECT_STREQ(SkinKeyTable[SKIN_DISPLAY1], "DISPLAY1");
    EXPECT_STREQ(SkinKeyTable[SKIN_PICTURE], "PICTURE");
}

TEST(SkinDefinition, OffsetsStopAtTheEndsOfTheIntegerRange) {
    const SkinRect moved = OffsetRect({0, 0, 2147483000, 10}, 1000, -2147483647);
    EXPECT_EQ(moved.right, 2147483647);
    EXPECT_EQ(moved.left, 1000);
    EXPECT_EQ(moved.top, -2147483647);
    EXPECT_EQ(OffsetRect({-2147483647, 0, 0, 0}, -10, 0).left, -2147483647 - 1);
}

TEST(SkinDefinition, FontSizeRule) {
    const std::pair<int32_t, int> cases[] = {{0, 10}, {-3, 10},     {12, 12},
                                             {1, 1},  {1000, 1000}, {2147483647, MAX_FONT_SIZE}};
    for (auto [value, points] : cases) EXPECT_EQ(SkinFontSize(value), points) << value;
}

TEST(SkinDefinition, ComposesFileNamesInTheSkinFilesFolder) {
    struct Case {
        const char* skin;
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        {"default.ini", "default.bmp", "default.bmp"},
        {"/usr/share/telvoxa/default.ini", "default.bmp", "/usr/share/telvoxa/default.bmp"},
        {"skins/blue.ini", "img\\blue.bmp", "skins/img/blue.bmp"},
        {"skins\\blue.ini", "blue.bmp", "skins/blue.bmp"},
        {"/a/b.ini", "c.bmp  ", "/a/c.bmp"},  // trailing blanks, as Windows drops them
        {"/a/b.ini", "c.bmp.", "/a/c.bmp"},
        {"/a/b.ini", "/etc/x.bmp", "/a//etc/x.bmp"},  // always appended
        {"/a/b.ini", "", "/a/"},
    };
    for (const auto& c : cases) EXPECT_EQ(ComposeSkinPath(c.skin, c.value), c.expected) << c.value;
}

}  // namespace
