#include "textpad/TextUnits.h"

#include <array>
#include <cstddef>
#include <utility>

#include "platform/Cp932.h"

// Each replacement is the base kana followed by ゛ (0x814A) or ゜ (0x814B).
const VoicedKanaRow VoicedKanaTable[25] = {
    {"\x82\xAA", "\x82\xA9\x81\x4A"},  // が
    {"\x82\xAC", "\x82\xAB\x81\x4A"},  // ぎ
    {"\x82\xAE", "\x82\xAD\x81\x4A"},  // ぐ
    {"\x82\xB0", "\x82\xAF\x81\x4A"},  // げ
    {"\x82\xB2", "\x82\xB1\x81\x4A"},  // ご
    {"\x82\xB4", "\x82\xB3\x81\x4A"},  // ざ
    {"\x82\xB6", "\x82\xB5\x81\x4A"},  // じ
    {"\x82\xB8", "\x82\xB7\x81\x4A"},  // ず
    {"\x82\xBA", "\x82\xB9\x81\x4A"},  // ぜ
    {"\x82\xBC", "\x82\xBB\x81\x4A"},  // ぞ
    {"\x82\xBE", "\x82\xBD\x81\x4A"},  // だ
    {"\x82\xC0", "\x82\xBF\x81\x4A"},  // ぢ
    {"\x82\xC3", "\x82\xC2\x81\x4A"},  // づ
    {"\x82\xC5", "\x82\xC4\x81\x4A"},  // で
    {"\x82\xC7", "\x82\xC6\x81\x4A"},  // ど
    {"\x82\xCE", "\x82\xCD\x81\x4A"},  // ば
    {"\x82\xD1", "\x82\xD0\x81\x4A"},  // び
    {"\x82\xD4", "\x82\xD3\x81\x4A"},  // ぶ
    {"\x82\xD7", "\x82\xD6\x81\x4A"},  // べ
    {"\x82\xDA", "\x82\xD9\x81\x4A"},  // ぼ
    {"\x82\xCF", "\x82\xCD\x81\x4B"},  // ぱ
    {"\x82\xD2", "\x82\xD0\x81\x4B"},  // ぴ
    {"\x82\xD5", "\x82\xD3\x81\x4B"},  // ぷ
    {"\x82\xD8", "\x82\xD6\x81\x4B"},  // ぺ
    {"\x82\xDB", "\x82\xD9\x81\x4B"},  // ぽ
};

bool IsCuttingLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF);
}

namespace {

// Length of the unit starting at `i` by the cutting rule.
size_t UnitLength(std::string_view text, size_t i) {
    return i + 1 < text.size() && IsCuttingLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
}

// Length of the code page 932 character starting at `i`.
size_t CharLength(std::string_view text, size_t i) {
    return i + 1 < text.size() && IsCp932LeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
}

// Every voiced kana is 0x82 and a trail byte: index the rows by trail byte
// so that a text of hiragana does not compare each character 25 times.
const VoicedKanaRow* FindVoiced(std::string_view unit) {
    static const auto byTrail = [] {
        std::array<const VoicedKanaRow*, 256> index{};
        for (const VoicedKanaRow& row : VoicedKanaTable) {
            index[static_cast<unsigned char>(row.voiced[1])] = &row;
        }
        return index;
    }();
    if (unit.size() != 2 || unit[0] != '\x82') return nullptr;
    return byTrail[static_cast<unsigned char>(unit[1])];
}

}  // namespace

// One walk over the text's characters does what applying the rows one after
// the other does: a replacement holds no voiced kana, so no row undoes
// another. Walking by whole characters of the code page (not by the cutting
// rule's units) keeps a trail byte and the next lead byte from matching.
void SplitVoicedKana(std::string& text) {
    std::string_view in = text;
    std::string out;
    bool changed = false;
    for (size_t i = 0; i < in.size();) {
        size_t len = CharLength(in, i);
        std::string_view unit = in.substr(i, len);
        const VoicedKanaRow* row = len == 2 ? FindVoiced(unit) : nullptr;
        if (row != nullptr && !changed) {
            out.reserve(in.size() + 16);
            out.assign(in.substr(0, i));
            changed = true;
        }
        if (changed) out += row != nullptr ? row->replacement : unit;
        i += len;
    }
    if (changed) text = std::move(out);
}

std::vector<TextUnit> CutTextUnits(std::string_view text) {
    std::vector<TextUnit> units;
    units.reserve(text.size());
    const size_t length = text.size();
    for (size_t i = 0; i < length;) {
        size_t len = UnitLength(text, i);
        units.emplace_back(text.substr(i, len));
        i += len;
    }
    return units;
}
