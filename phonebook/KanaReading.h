#pragma once
// Readings of names as the phone book's ﾅﾏｴ column shows them: half-width
// katakana, as a handset's own memory keeps them.

#include <string>
#include <string_view>

// Hiragana, full-width katakana and their marks in `cp932` become half-width
// katakana (a voiced kana takes two: "ガ" is "ｶﾞ"); every other character
// stays as it is.
std::string HalfWidthReading(std::string_view cp932);
