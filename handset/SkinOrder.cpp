#include "handset/SkinOrder.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

// Twice the middle, so that it stays whole.
int64_t MidX2(const SkinRect& r) {
    return int64_t{r.left} + r.right;
}
int64_t MidY2(const SkinRect& r) {
    return int64_t{r.top} + r.bottom;
}

}  // namespace

bool SkinRectPresent(const SkinRect& rect) {
    return rect.right > rect.left && rect.bottom > rect.top;
}

std::vector<int> ReadingOrder(std::span<const SkinRect> rects) {
    std::vector<int> order;
    for (size_t i = 0; i < rects.size(); ++i)
        if (SkinRectPresent(rects[i])) order.push_back(int(i));
    // By top first; equal tops keep their given order.
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return rects[size_t(a)].top < rects[size_t(b)].top; });
    std::vector<int> result;
    result.reserve(order.size());
    size_t rowStart = 0;
    while (rowStart < order.size()) {
        const SkinRect& first = rects[size_t(order[rowStart])];
        size_t rowEnd = rowStart + 1;
        while (rowEnd < order.size()) {
            const int64_t mid2 = MidY2(rects[size_t(order[rowEnd])]);
            if (mid2 >= 2 * int64_t{first.bottom}) break;
            ++rowEnd;
        }
        std::stable_sort(
            order.begin() + long(rowStart), order.begin() + long(rowEnd),
            [&](int a, int b) { return rects[size_t(a)].left < rects[size_t(b)].left; });
        result.insert(result.end(), order.begin() + long(rowStart), order.begin() + long(rowEnd));
        rowStart = rowEnd;
    }
    return result;
}

int NeighbourRect(std::span<const SkinRect> rects, int from, SkinDirection direction) {
    if (from < 0 || size_t(from) >= rects.size() || !SkinRectPresent(rects[size_t(from)])) {
        const std::vector<int> order = ReadingOrder(rects);
        return order.empty() ? from : order.front();
    }
    const SkinRect& here = rects[size_t(from)];
    int best = from;
    int64_t bestScore = std::numeric_limits<int64_t>::max();
    for (size_t i = 0; i < rects.size(); ++i) {
        if (int(i) == from || !SkinRectPresent(rects[i])) continue;
        const int64_t dx = MidX2(rects[i]) - MidX2(here);
        const int64_t dy = MidY2(rects[i]) - MidY2(here);
        int64_t along = 0;
        int64_t across = 0;
        switch (direction) {
            case SkinDirection::Left:
                along = -dx, across = dy;
                break;
            case SkinDirection::Right:
                along = dx, across = dy;
                break;
            case SkinDirection::Up:
                along = -dy, across = dx;
                break;
            case SkinDirection::Down:
                along = dy, across = dx;
                break;
        }
        if (along <= 0) continue;
        // Off the line counts double, so the key beside is taken before one
        // a little nearer but diagonal.
        const int64_t score = along + 2 * std::llabs(across);
        if (score < bestScore) {
            bestScore = score;
            best = int(i);
        }
    }
    return best;
}
