#pragma once
// The lines of a vCard file as properties: folded lines joined again (a
// line that begins with a space or tab continues the one before; in a
// quoted-printable value a line ending in "=" goes on in the next), and each
// split into its name, parameters and raw value.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// No card needs more: a photo fits in the length, and a number carries a
// handful of parameters. A property beyond either is given without its
// contents, and costs no more memory than the bound.
inline constexpr size_t kMaxVCardPropertyBytes = 16u << 20;
inline constexpr size_t kMaxVCardParameters = 100;

struct VCardProperty {
    enum class Bound {
        Within,
        TooLong,        // more than kMaxVCardPropertyBytes, folded lines joined
        TooManyParams,  // more than kMaxVCardParameters
    };

    int line = 0;             // the first line of the property, from 1
    bool wellFormed = false;  // it had a ":" after its name
    Bound bound = Bound::Within;
    std::string name;  // upper case, without a "group." prefix
    // Parameter names in upper case; a 2.1 bare parameter ("CELL",
    // "QUOTED-PRINTABLE") is given its name (TYPE, ENCODING).
    std::vector<std::pair<std::string, std::string>> params;
    std::string value;  // as written, still encoded

    // The first value of a parameter, or empty.
    std::string Param(std::string_view paramName) const;
    // Whether TYPE lists `type` (any case), in any of its forms.
    bool HasType(std::string_view type) const;
    // Every TYPE value, joined with ",".
    std::string Types() const;
};

std::string Upper(std::string_view text);
// Undoes "=XX" escapes; an "=" not followed by two hex digits stays as it is.
std::string DecodeQuotedPrintable(std::string_view text);

class VCardLines {
public:
    explicit VCardLines(std::string_view bytes);
    // The next property; false at the end of the file. Blank lines are skipped.
    bool Next(VCardProperty& property);

private:
    // The next physical line without its end (CR LF, LF or CR alone).
    bool NextPhysical(std::string_view& line);

    std::string_view m_bytes;
    size_t m_position = 0;
    int m_lineNumber = 0;
    // A line read ahead, not yet part of a property.
    bool m_havePending = false;
    std::string_view m_pending;
    int m_pendingNumber = 0;
    // Room reused from one property to the next.
    std::string m_joined;
    std::vector<std::string_view> m_pieces;
};
