// The order in which the keyboard meets the skin's buttons and text areas,
// and where an arrow key goes from each.

#include "handset/SkinOrder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

SkinRect At(int left, int top, int width = 10, int height = 8) {
    return {left, top, left + width, top + height};
}

TEST(SkinOrder, RectanglesAreReadRowByRowFromTheTop) {
    const struct {
        const char* name;
        std::vector<SkinRect> rects;
        std::vector<int> order;
    } rows[] = {
        {"a keypad given column by column",
         {At(0, 0), At(0, 10), At(12, 0), At(12, 10)},
         {0, 2, 1, 3}},
        {"a row drawn a pixel off stays one row", {At(12, 1), At(0, 0), At(24, 2)}, {1, 0, 2}},
        {"a lower row starts below the first's middle", {At(12, 0), At(0, 5)}, {0, 1}},
        {"missing and inverted rectangles are left out",
         {SkinRect{}, At(0, 0), SkinRect{10, 0, 5, 8}, At(12, 0)},
         {1, 3}},
        {"nothing", {}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ReadingOrder(row.rects), row.order);
    }
}

TEST(SkinOrder, AnArrowGoesToTheNearestRectangleThatWayPreferringTheOneInLine) {
    // 0 1 2
    // 3   4     (4 a little lower than 3)
    //   5
    const std::vector<SkinRect> pad = {At(0, 0),  At(12, 0),  At(24, 0),
                                       At(0, 10), At(24, 12), At(12, 30)};
    using D = SkinDirection;
    const struct {
        int from;
        D direction;
        int to;
    } rows[] = {
        {0, D::Right, 1}, {1, D::Right, 2}, {2, D::Right, 2}, {0, D::Left, 0},
        {0, D::Down, 3},  {3, D::Right, 4}, {4, D::Left, 3},  {1, D::Down, 5},
        {5, D::Up, 1},    {3, D::Up, 0},    {-1, D::Down, 0}, {7, D::Left, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.from) + " " + std::to_string(int(row.direction)));
        EXPECT_EQ(NeighbourRect(pad, row.from, row.direction), row.to);
    }
}

}  // namespace
