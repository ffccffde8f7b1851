// Prints what the code page 932 conversions make of every character: each
// single byte and lead/trail pair decoded, each character of the Basic
// Multilingual Plane encoded. Built for Linux and for Windows, the two
// outputs must be the same (scripts/test-windows compares them).

#include <cstdio>
#include <string>

#include "platform/Cp932.h"
#include "platform/Utf8Writer.h"

namespace {

void PrintHex(const std::string& bytes) {
    for (unsigned char c : bytes) std::printf("%02X", c);
}

void Decoded(const std::string& bytes) {
    PrintHex(bytes);
    std::printf(" -> ");
    PrintHex(Cp932ToUtf8(bytes, false));
    std::printf("\n");
}

}  // namespace

int main() {
    for (unsigned c = 0; c <= 0xFF; ++c) Decoded(std::string(1, static_cast<char>(c)));
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsCp932LeadByte(static_cast<unsigned char>(lead))) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            Decoded({static_cast<char>(lead), static_cast<char>(trail)});
        }
    }
    for (char32_t cp = 0x80; cp <= 0xFFFF; ++cp) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        std::string utf8;
        AppendUtf8(cp, utf8);
        const std::string bytes = Utf8ToCp932(utf8);
        if (bytes.empty()) continue;
        std::printf("U+%04X <- ", static_cast<unsigned>(cp));
        PrintHex(bytes);
        std::printf("\n");
    }
    return 0;
}
