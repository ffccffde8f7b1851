// The window shape of a large skin: the row scan of the bitmap and the region
// made from its spans.

#include <benchmark/benchmark.h>

#include <QRect>
#include <QRegion>
#include <cstdint>
#include <vector>

#include "handset/RegionSpans.h"
#include "handset/ui/SkinRegion.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 2000;

// A handset-like shape: a rounded body with a hole in each row (a transparent
// screen frame) on a black surround, stored bottom-up, 24 bits per pixel.
struct Skin {
    uint32_t stride = (kWidth * 3 + 3) / 4 * 4;
    std::vector<uint8_t> pixels;
    Skin() : pixels(size_t(stride) * kHeight, 0) {
        for (int y = 0; y < kHeight; ++y) {
            const double dy = (y - kHeight / 2.0) / (kHeight / 2.0);
            const int half = int((kWidth / 2.0 - 5) * (1.0 - 0.3 * dy * dy * dy * dy));
            uint8_t* row = pixels.data() + size_t(kHeight - 1 - y) * stride;
            for (int x = kWidth / 2 - half; x < kWidth / 2 + half; ++x) {
                if (x > 300 && x < 310) continue;  // a transparent slit inside the body
                row[x * 3] = 200;
                row[x * 3 + 1] = 180;
                row[x * 3 + 2] = 160;
            }
        }
    }
};

const Skin& TheSkin() {
    static const Skin skin;
    return skin;
}

void BM_RowScan(benchmark::State& state) {
    const Skin& skin = TheSkin();
    for (auto _ : state) {
        auto spans = BuildRegionSpans(skin.pixels.data(), kWidth, kHeight, skin.stride, {});
        benchmark::DoNotOptimize(spans.data());
    }
    state.SetItemsProcessed(state.iterations() * kHeight);
}
BENCHMARK(BM_RowScan)->Unit(benchmark::kMicrosecond);

void BM_RegionFromSpans(benchmark::State& state) {
    const Skin& skin = TheSkin();
    const auto spans = BuildRegionSpans(skin.pixels.data(), kWidth, kHeight, skin.stride, {});
    for (auto _ : state) {
        QRegion region = RegionFromSpans(spans);
        benchmark::DoNotOptimize(region.rectCount());
    }
}
BENCHMARK(BM_RegionFromSpans)->Unit(benchmark::kMicrosecond);

}  // namespace
