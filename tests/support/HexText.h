#pragma once
// Bytes as "XX " pairs, so that a failed comparison shows every byte.

#include <cstdio>
#include <string>
#include <string_view>

inline std::string Hex(std::string_view bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    return out;
}
