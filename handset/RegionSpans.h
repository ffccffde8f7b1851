#pragma once
// The window's shape from the skin bitmap: one span per bitmap row, from the
// row's first to its last pixel that is not the transparent colour.

#include <cstdint>
#include <vector>

#include "handset/BmpReader.h"
#include "handset/SkinDefinition.h"

struct RowSpan {
    int32_t y = 0;      // window row (0 = top)
    int32_t left = 0;   // first opaque pixel
    int32_t right = 0;  // one past the last opaque pixel
    bool operator==(const RowSpan&) const = default;
};

// Rows in stored order (the bottom row first); a row without an opaque pixel
// gives no span. Transparent pixels between the first and the last opaque one
// stay inside the span. `pixels` holds `height` rows of `stride` bytes, three
// bytes blue, green, red per pixel.
std::vector<RowSpan> BuildRegionSpans(const uint8_t* pixels, int32_t width, int32_t height,
                                      uint32_t stride, SkinColour transparent);
// The same for a skin bitmap checked by ReadSkinBmp.
std::vector<RowSpan> BuildRegionSpans(const BmpImage& skin, SkinColour transparent);
