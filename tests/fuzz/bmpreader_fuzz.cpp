// Any bytes as a skin bitmap and as a picture: reading, the region scan and
// decoding must stay inside the file and never crash.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "handset/BmpReader.h"
#include "handset/RegionSpans.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const BmpReadResult skin = ParseSkinBmp(bytes);
    if (skin.ok()) {
        const auto spans = BuildRegionSpans(skin.image, {0, 0, 0});
        if (spans.size() > size_t(skin.image.Height())) __builtin_trap();
        for (const RowSpan& s : spans)
            if (s.left < 0 || s.right > skin.image.Width() || s.left >= s.right) __builtin_trap();
        DecodeBmpPixels(skin.image);
    }
    const BmpReadResult picture = ParsePictureBmp(bytes);
    if (picture.ok()) {
        const auto pixels = DecodeBmpPixels(picture.image);
        if (pixels.size() != size_t(picture.image.Width()) * size_t(picture.image.Height()))
            __builtin_trap();
    }
    return 0;
}
