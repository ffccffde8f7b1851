#include "handset/RegionSpans.h"

std::vector<RowSpan> BuildRegionSpans(const uint8_t* pixels, int32_t width, int32_t height,
                                      uint32_t stride, SkinColour transparent) {
    std::vector<RowSpan> spans;
    if (!pixels || width <= 0 || height <= 0) return spans;
    spans.reserve(size_t(height));
    auto opaque = [&](const uint8_t* p) {
        return p[0] != transparent.blue || p[1] != transparent.green || p[2] != transparent.red;
    };
    for (int32_t stored = 0; stored < height; ++stored) {
        const uint8_t* row = pixels + size_t(stored) * stride;
        int32_t first = 0;
        while (first < width && !opaque(row + size_t(first) * 3)) ++first;
        if (first == width) continue;
        int32_t last = width - 1;
        while (last > first && !opaque(row + size_t(last) * 3)) --last;
        spans.push_back({height - 1 - stored, first, last + 1});
    }
    return spans;
}

std::vector<RowSpan> BuildRegionSpans(const BmpImage& skin, SkinColour transparent) {
    if (skin.header.biBitCount != 24 || skin.TopDown()) return {};
    const uint64_t needed = uint64_t{skin.RowStride()} * uint64_t(skin.Height());
    if (needed > skin.pixels.size()) return {};
    return BuildRegionSpans(skin.pixels.data(), skin.Width(), skin.Height(), skin.RowStride(),
                            transparent);
}
