#include "phonebook/DialledNumber.h"

#include <cstdint>

#include "platform/Cp932.h"

namespace {

// The narrow dial character of a full-width one in code page 932, else 0.
char NarrowOfWide(uint8_t lead, uint8_t trail) {
    if (lead == 0x82 && trail >= 0x4F && trail <= 0x58)
        return static_cast<char>('0' + trail - 0x4F);
    if (lead == 0x81 && trail == 0x7B) return '+';
    if (lead == 0x81 && trail == 0x96) return '*';
    if (lead == 0x81 && trail == 0x94) return '#';
    return 0;
}

bool Dialable(char c) {
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || c == '+';
}

}  // namespace

std::string DialledDigits(std::string_view written) {
    std::string kept;
    kept.reserve(written.size());
    for (size_t i = 0; i < written.size(); ++i) {
        const auto c = static_cast<uint8_t>(written[i]);
        char narrow = static_cast<char>(c);
        if (IsCp932LeadByte(c) && i + 1 < written.size()) {
            narrow = NarrowOfWide(c, static_cast<uint8_t>(written[++i]));
        }
        // A "+" only means the international prefix at the very start.
        if (Dialable(narrow) && (narrow != '+' || kept.empty())) kept += narrow;
    }
    if (kept.starts_with('+')) kept.replace(0, 1, "010");
    for (const std::string_view japan : {"01081", "0081"}) {
        if (kept.starts_with(japan)) {
            kept.replace(0, japan.size(), "0");
            // "+81 (0)3-..." repeats the trunk prefix; no number after +81 starts with 0.
            if (kept.starts_with("00")) kept.erase(0, 1);
            break;
        }
    }
    return kept;
}
