// The text path of the control pad: split voiced kana, cut into units and
// find each unit's cell, for a 1000-character mixed text.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "platform/Cp932.h"
#include "textpad/CharConvert.h"
#include "textpad/TextUnits.h"

namespace {

// 50 characters: hiragana with voiced and semi-voiced kana, half-width
// katakana, Latin, digits, symbols and kanji. Repeated 20 times.
constexpr const char* kSample =
    "がぎぐぱぴぽでんわばんごう ｶﾞｷﾞｸﾃﾞﾝﾜ Hello42 @#&(*)! 漢字変換表示です。、";

std::string MixedText() {
    std::string text;
    for (int i = 0; i < 20; ++i) text += Utf8ToCp932(kSample);
    return text;
}

void BM_SplitCutConvert(benchmark::State& state) {
    const std::string source = MixedText();
    const auto characters = static_cast<int64_t>(CutTextUnits(source).size());
    for (auto _ : state) {
        std::string text = source;
        SplitVoicedKana(text);
        std::vector<TextUnit> units = CutTextUnits(text);
        int mapped = 0;
        for (const TextUnit& unit : units) {
            CharPos pos;
            const auto* b = reinterpret_cast<const uint8_t*>(unit.data());
            mapped +=
                unit.size() == 1 ? ConvertNarrowChar(b[0], pos) : ConvertWideChar(b[0], b[1], pos);
            benchmark::DoNotOptimize(pos);
        }
        benchmark::DoNotOptimize(mapped);
    }
    state.SetItemsProcessed(state.iterations() * characters);
    state.counters["bytes"] = static_cast<double>(source.size());
}
BENCHMARK(BM_SplitCutConvert);

void BM_SplitVoicedKanaOnly(benchmark::State& state) {
    const std::string source = MixedText();
    for (auto _ : state) {
        std::string text = source;
        SplitVoicedKana(text);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_SplitVoicedKanaOnly);

void BM_CutTextUnitsOnly(benchmark::State& state) {
    const std::string source = MixedText();
    for (auto _ : state) {
        std::vector<TextUnit> units = CutTextUnits(source);
        benchmark::DoNotOptimize(units.data());
    }
}
BENCHMARK(BM_CutTextUnitsOnly);

}  // namespace
