#pragma once
// Decimal text read the way the C library's atoi reads it, but with a defined
// result for numbers that do not fit: they stop at the 32-bit limits.

#include <cstdint>
#include <string_view>

// Skips leading white space, takes an optional "+" or "-" and the digits that
// follow, and stops at the first other character. No digits gives 0.
int32_t AtoiText(std::string_view text);
