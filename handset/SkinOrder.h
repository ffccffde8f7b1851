#pragma once
// The order in which the skin's buttons and text areas are met without a
// mouse: read like a page (rows from the top, each row from the left), and
// the neighbour an arrow key moves to.

#include <span>
#include <vector>

#include "app/SkinFile.h"

// True for a rectangle that covers at least one pixel; a skin leaves the
// buttons it does not have empty.
bool SkinRectPresent(const SkinRect& rect);

// The indices of the present rectangles, row by row from the top and each
// row from the left. Rectangles share a row when the middle of one lies
// within the height of the row's first (a keypad drawn a pixel off stays one
// row).
std::vector<int> ReadingOrder(std::span<const SkinRect> rects);

enum class SkinDirection { Left, Right, Up, Down };

// The present rectangle nearest to `from` that lies in `direction` of it
// (its middle beyond `from`'s middle that way), preferring the one most in
// line; `from` itself when there is none. From none (out of range), the
// first in reading order.
int NeighbourRect(std::span<const SkinRect> rects, int from, SkinDirection direction);
