#pragma once
// Names for what a key message carries: the key of a code pair, and the
// character of a cell of the phone's character table.

#include <cstdint>
#include <string>
#include <string_view>

#include "textpad/CharConvert.h"

// The key name of a key group and number; empty when no key has them.
std::string_view KeyNameOf(uint8_t keyGroup, uint8_t keyNumber);

// The plain character of a cell, in UTF-8: of all the code page 932
// characters of that form (narrow or wide) that map to the cell, the one with
// the lowest code (か rather than が). Empty when no character maps there.
std::string CellCharacter(CharPos pos, bool wide);
