#pragma once
// Phone numbers handed to the program from outside: "tel:" and "callto:"
// links (a click on a number in a browser or mail), or a number typed after
// --dial. They end in the dialled form of the address books (DialledNumber.h).

#include <cstddef>
#include <string>
#include <string_view>

// More digits than any number dialled from the handset.
inline constexpr size_t kLongestLinkedNumber = 32;

enum class DialLinkProblem {
    None,
    // Nothing dialable: "tel:", "callto:" or only separators.
    NoNumber,
    // A character that is neither a dial character nor a separator.
    NotANumber,
    // More than kLongestLinkedNumber digits (or an absurdly long link).
    TooLong,
};

struct DialLink {
    std::string digits;  // the dialled form; empty unless problem is None
    DialLinkProblem problem = DialLinkProblem::None;
    // For NotANumber: the character refused, as printable ASCII or "\xNN".
    std::string refused;
};

// True for text starting with "tel:" or "callto:" (in any case).
bool IsDialLink(std::string_view text);

// Reads a link or a bare number. The scheme (and "//" after "callto:"),
// %-escapes, the parameters after ";" or "?" and the visual separators
// (space, "-", ".", "(", ")") go; "*" and "#" stay; "+81" becomes "0".
DialLink ParseDialLink(std::string_view text);

// `text` shortened for a message: printable ASCII only, at most 40 characters.
std::string LinkForMessage(std::string_view text);
