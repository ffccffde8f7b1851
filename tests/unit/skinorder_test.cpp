// The order in which the keyboard and screen readers meet the skin's buttons
// and text areas; the arrow keys are the handset's keyboard test's.

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

}  // namespace
