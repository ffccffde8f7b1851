#include "phonebook/PhoneBookFormat.h"

#include <cctype>
#include <cstdint>

namespace {

bool StartsWithVCard(std::string_view head) {
    if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
    const size_t start = head.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) return false;
    head.remove_prefix(start);
    constexpr std::string_view kBegin = "BEGIN:VCARD";
    if (head.size() < kBegin.size()) return false;
    for (size_t i = 0; i < kBegin.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(head[i])) != kBegin[i]) return false;
    }
    return true;
}

// A byte that starts no text file: a control character other than tab and
// line ends, or one that neither UTF-8 nor Shift_JIS ever uses.
bool BinaryByte(uint8_t c) {
    return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F || c == 0xFF;
}

}  // namespace

PhoneBookFormat DetectPhoneBookFormat(std::string_view head) {
    if (StartsWithVCard(head)) return PhoneBookFormat::VCard;
    if (head.size() < 4) return PhoneBookFormat::MemoryDial;
    for (size_t i = 0; i < 4; ++i) {
        if (BinaryByte(static_cast<uint8_t>(head[i]))) return PhoneBookFormat::MemoryDial;
    }
    return PhoneBookFormat::Csv;
}
