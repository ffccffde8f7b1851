#include "phonebook/PhoneBookFormat.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace {

bool StartsWithVCardBegin(std::string_view line) {
    constexpr std::string_view kBegin = "BEGIN:VCARD";
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    if (line.size() < kBegin.size()) return false;
    for (size_t i = 0; i < kBegin.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(line[i])) != kBegin[i]) return false;
    }
    return true;
}

// Some line of the head begins a card; a broken first line does not hide it.
bool HasVCardBegin(std::string_view head) {
    if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
    while (!head.empty()) {
        if (StartsWithVCardBegin(head)) return true;
        const size_t end = head.find_first_of("\r\n");
        if (end == std::string_view::npos) break;
        head.remove_prefix(end + 1);
    }
    return false;
}

// A byte that starts no text file: a control character other than tab and
// line ends, or one that neither UTF-8 nor Shift_JIS ever uses.
bool BinaryByte(uint8_t c) {
    return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F || c == 0xFF;
}

}  // namespace

PhoneBookFormat DetectPhoneBookFormat(std::string_view head) {
    if (HasVCardBegin(head)) return PhoneBookFormat::VCard;
    if (head.size() < 4) return PhoneBookFormat::MemoryDial;
    for (size_t i = 0; i < 4; ++i) {
        if (BinaryByte(static_cast<uint8_t>(head[i]))) return PhoneBookFormat::MemoryDial;
    }
    return PhoneBookFormat::Csv;
}
