#include "handset/RegionSpans.h"

#include <gtest/gtest.h>

#include "support/TestBitmaps.h"

namespace {

std::vector<RowSpan> SpansOf(const std::vector<std::string>& rows, SkinColour transparent = {},
                             TestRgb opaque = {255, 255, 255}, TestRgb clear = {0, 0, 0}) {
    const auto bmp = ParseSkinBmp(MakeBmpFromRows(rows, opaque, clear));
    EXPECT_TRUE(bmp.ok());
    return BuildRegionSpans(bmp.image, transparent);
}

TEST(RegionSpans, OneSpanPerRowFromFirstToLastOpaquePixelBottomRowFirst) {
    const std::vector<std::string> rows = {
        "..####..",  // y 0
        ".#....#.",  // y 1: the hole between stays inside
        "########",  // y 2
    };
    const std::vector<RowSpan> expected = {{2, 0, 8}, {1, 1, 7}, {0, 2, 6}};
    EXPECT_EQ(SpansOf(rows), expected);
}

TEST(RegionSpans, WhollyTransparentRowsAddNothing) {
    const std::vector<std::string> rows = {"....", ".##.", "....", "#..."};
    const std::vector<RowSpan> expected = {{3, 0, 1}, {1, 1, 3}};
    EXPECT_EQ(SpansOf(rows), expected);
}

TEST(RegionSpans, AOnePixelColumnGivesOnePixelSpans) {
    const std::vector<std::string> rows = {"..#..", "..#..", "..#.."};
    const std::vector<RowSpan> expected = {{2, 2, 3}, {1, 2, 3}, {0, 2, 3}};
    EXPECT_EQ(SpansOf(rows), expected);
}

TEST(RegionSpans, NoOpaquePixelGivesNoSpan) {
    EXPECT_TRUE(SpansOf({"...", "..."}).empty());
}

TEST(RegionSpans, TheTransparentColourComesFromTheSkin) {
    const TestRgb magenta = {255, 0, 255};
    // Black is opaque here; only magenta is cut away.
    const std::vector<std::string> rows = {"#..#"};
    const std::vector<RowSpan> expected = {{0, 1, 3}};
    EXPECT_EQ(SpansOf(rows, {255, 0, 255}, magenta, {0, 0, 0}), expected);
    // A pixel that differs from the transparent colour in one part only is opaque.
    const std::vector<RowSpan> whole = {{0, 0, 4}};
    EXPECT_EQ(SpansOf(rows, {255, 0, 254}, magenta, {0, 0, 0}), whole);
}

TEST(RegionSpans, RowPaddingIsNeverTakenForPixels) {
    // Width 1: three pixel bytes and one pad byte per row; the pad is white.
    auto bytes = MakeBmpFromRows({".", "."});
    bytes[54 + 3] = 0xFF;
    bytes[54 + 7] = 0xFF;
    const auto bmp = ParseSkinBmp(bytes);
    ASSERT_TRUE(bmp.ok());
    EXPECT_TRUE(BuildRegionSpans(bmp.image, {}).empty());
}

}  // namespace
