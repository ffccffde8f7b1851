#include "platform/Atoi.h"

#include <limits>

namespace {
bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
}  // namespace

int32_t AtoiText(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate the magnitude in 64 bits and stop growing it once it is past
    // any 32-bit value, so arbitrarily long digit runs cannot overflow.
    constexpr int64_t kCap = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (magnitude < kCap) magnitude = magnitude * 10 + (text[i] - '0');
    }
    if (negative) {
        return magnitude >= kCap ? std::numeric_limits<int32_t>::min()
                                 : static_cast<int32_t>(-magnitude);
    }
    return magnitude >= kCap ? std::numeric_limits<int32_t>::max()
                             : static_cast<int32_t>(magnitude);
}
