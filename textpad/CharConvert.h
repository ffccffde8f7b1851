#pragma once
// Conversions between PC characters (code page 932 bytes) and the phone's two
// forms: a cell of its 15 x 15 character table, and a one-byte dial code.

#include <cstdint>
#include <string>
#include <string_view>

// A character's row and column (1..15 each) in the phone's character table;
// the narrow and the wide form of a character share one cell.
struct CharPos {
    uint8_t row = 0;
    uint8_t column = 0;
};

// One byte 0x91..0x9C per dial key.
using DialCode = uint8_t;

// 1 and the cell in `pos` when the single-byte character has one; 0 and `pos`
// untouched otherwise.
int ConvertNarrowChar(uint8_t c, CharPos& pos);
// The same for a double-byte character given as lead and trail byte.
int ConvertWideChar(uint8_t lead, uint8_t trail, CharPos& pos);

// The dial code of the text's first byte ('0'..'9', '*', '#'); 0x00 for any
// other byte and for an empty text.
DialCode DialCharToCode(std::string_view text);
// The dial key character of a dial code; 0 for any other byte.
char DialCodeToChar(uint8_t code);
