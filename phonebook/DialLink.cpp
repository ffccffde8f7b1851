#include "phonebook/DialLink.h"

#include <cstdio>

#include "phonebook/DialledNumber.h"

namespace {

// No link worth reading is longer; a longer one is not read at all.
constexpr size_t kLongestLink = 1024;
constexpr size_t kShownLink = 40;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsSeparator(char c) {
    return c == ' ' || c == '-' || c == '.' || c == '(' || c == ')';
}

bool IsDialCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '*' || c == '#';
}

std::string Printable(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte > 0x20 && byte < 0x7F) return std::string(1, c);
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    return text;
}

DialLink Refused(DialLinkProblem problem, std::string refused = {}) {
    DialLink link;
    link.problem = problem;
    link.refused = std::move(refused);
    return link;
}

}  // namespace

bool IsDialLink(std::string_view text) {
    return StartsWithNoCase(text, "tel:") || StartsWithNoCase(text, "callto:");
}

DialLink ParseDialLink(std::string_view text) {
    if (text.size() > kLongestLink) return Refused(DialLinkProblem::TooLong);
    if (StartsWithNoCase(text, "tel:")) {
        text.remove_prefix(4);
    } else if (StartsWithNoCase(text, "callto:")) {
        text.remove_prefix(7);
        if (text.starts_with("//")) text.remove_prefix(2);
    }
    // What follows ";" (RFC 3966 parameters) or "?" (a query) is not dialled.
    text = text.substr(0, text.find_first_of(";?"));

    std::string written;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
            const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
            if (low < 0) return Refused(DialLinkProblem::NotANumber, "%");
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        if (IsSeparator(c)) continue;
        // "+" is the international prefix, only before the first digit.
        const bool leadingPlus = c == '+' && written.empty();
        if (!IsDialCharacter(c) && !leadingPlus) {
            return Refused(DialLinkProblem::NotANumber, Printable(c));
        }
        written += c;
    }
    DialLink link;
    link.digits = DialledDigits(written);
    if (link.digits.empty()) return Refused(DialLinkProblem::NoNumber);
    if (link.digits.size() > kLongestLinkedNumber) return Refused(DialLinkProblem::TooLong);
    return link;
}

std::string LinkForMessage(std::string_view text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        shown += byte >= 0x20 && byte < 0x7F ? c : '?';
        if (shown.size() == kShownLink) return shown + "...";
    }
    return shown;
}
