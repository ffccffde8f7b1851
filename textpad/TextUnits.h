#pragma once
// The text rules that come before a text is sent to the phone: voiced kana
// split into base kana and voicing mark, then the text cut into characters.

#include <string>
#include <string_view>
#include <vector>

// One character of a code page 932 text: one byte, or lead and trail byte.
using TextUnit = std::string;

struct VoicedKanaRow {
    std::string_view voiced;       // the voiced or semi-voiced hiragana
    std::string_view replacement;  // base kana followed by the voicing mark
};
// The 25 rows, voiced ones first, in the order they are applied.
extern const VoicedKanaRow VoicedKanaTable[25];

// Replaces, in place, every voiced or semi-voiced hiragana by its base kana
// and a separate voicing mark, matching whole code page 932 characters only.
void SplitVoicedKana(std::string& text);

// True for a byte that starts a two-byte unit in the cutting rule, whose
// lead bytes end at 0xEF (the code page's own reach to 0xFC).
bool IsCuttingLeadByte(unsigned char c);

// Cuts a text into one- and two-byte units; a lead byte in the last position
// becomes a unit of its own.
std::vector<TextUnit> CutTextUnits(std::string_view text);
