#pragma once
// The phone's messages as tests write and expect them: dial codes, joined
// parts, a write as text ("write A7 EA"), and the reply to a hang-up.

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "textpad/CharConvert.h"

// The phone's dial codes for a text of digits.
inline std::vector<uint8_t> Codes(const std::string& digits) {
    std::vector<uint8_t> out;
    for (char c : digits) out.push_back(DialCharToCode(std::string(1, c)));
    return out;
}

inline std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline std::string Write(const std::vector<uint8_t>& bytes) {
    std::string out = "write";
    char pair[4];
    for (uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, " %02X", b);
        out += pair;
    }
    return out;
}

// The phone's reply to a hang-up on line: end, the charge, the 2-byte block.
inline std::vector<uint8_t> ChargeReply(const std::string& charge) {
    return Join({{0xA6, 0xE2}, Codes(charge), {0xAA, 0xE7, 0x01, 0x02}});
}
