#include "phonebook/VCardLines.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr size_t kKeptRoom = 64 * 1024;

bool Blank(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Where the name and parameters end: the first ":" outside double quotes.
size_t ValueColon(std::string_view line) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ':' && !quoted) return i;
    }
    return std::string_view::npos;
}

std::string Unquoted(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        text = text.substr(1, text.size() - 2);
    }
    return std::string(text);
}

bool IsEncodingName(const std::string& upper) {
    return upper == "QUOTED-PRINTABLE" || upper == "BASE64" || upper == "8BIT" || upper == "7BIT";
}

// Splits "TEL;TYPE=CELL;CHARSET=UTF-8" at semicolons outside double quotes;
// false when there are more parameters than a property may have.
bool SplitHead(std::string_view head, std::vector<std::string_view>& pieces) {
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i <= head.size(); ++i) {
        if (i < head.size() && head[i] == '"') quoted = !quoted;
        if (i == head.size() || (head[i] == ';' && !quoted)) {
            if (pieces.size() > kMaxVCardParameters) return false;
            pieces.push_back(head.substr(start, i - start));
            start = i + 1;
        }
    }
    return true;
}

bool QuotedPrintableHead(std::string_view firstLine) {
    const size_t colon = ValueColon(firstLine);
    if (colon == std::string_view::npos) return false;
    constexpr std::string_view kName = "QUOTED-PRINTABLE";
    const std::string_view head = firstLine.substr(0, colon);
    return std::search(head.begin(), head.end(), kName.begin(), kName.end(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == b;
           }) != head.end();
}

// Fills `property` in place, so that a file of many lines reuses its room;
// `pieces` is room for the head's parts.
void Parse(std::string_view line, int number, VCardProperty& property,
           std::vector<std::string_view>& pieces) {
    property.line = number;
    property.wellFormed = false;
    property.bound = VCardProperty::Bound::Within;
    property.name.clear();
    property.params.clear();
    property.value.clear();
    const size_t colon = ValueColon(line);
    if (colon == std::string_view::npos) return;
    property.wellFormed = true;
    pieces.clear();
    if (!SplitHead(line.substr(0, colon), pieces)) {
        property.bound = VCardProperty::Bound::TooManyParams;
        return;
    }
    property.value.assign(line.substr(colon + 1));
    std::string_view name = pieces[0];
    if (const size_t dot = name.find('.'); dot != std::string_view::npos)
        name.remove_prefix(dot + 1);
    property.name.assign(name);
    for (char& c : property.name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (size_t i = 1; i < pieces.size(); ++i) {
        const std::string_view piece = pieces[i];
        const size_t equals = piece.find('=');
        if (equals == std::string_view::npos) {
            std::string bare = Upper(piece);
            property.params.emplace_back(IsEncodingName(bare) ? "ENCODING" : "TYPE",
                                         std::string(piece));
        } else {
            property.params.emplace_back(Upper(piece.substr(0, equals)),
                                         Unquoted(piece.substr(equals + 1)));
        }
    }
}

}  // namespace

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

std::string DecodeQuotedPrintable(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            decoded += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

std::string VCardProperty::Param(std::string_view paramName) const {
    for (const auto& [name, value] : params) {
        if (name == paramName) return value;
    }
    return {};
}

bool VCardProperty::HasType(std::string_view type) const {
    const std::string wanted = Upper(type);
    for (const auto& [name, value] : params) {
        if (name != "TYPE") continue;
        size_t start = 0;
        const std::string upper = Upper(value);
        while (start <= upper.size()) {
            const size_t comma = std::min(upper.find(',', start), upper.size());
            if (upper.compare(start, comma - start, wanted) == 0) return true;
            start = comma + 1;
        }
    }
    return false;
}

std::string VCardProperty::Types() const {
    std::string types;
    for (const auto& [name, value] : params) {
        if (name != "TYPE") continue;
        if (!types.empty()) types += ',';
        types += value;
    }
    return types;
}

VCardLines::VCardLines(std::string_view bytes) : m_bytes(bytes) {
    // A byte-order mark is no part of the first line.
    if (m_bytes.starts_with("\xEF\xBB\xBF")) m_bytes.remove_prefix(3);
}

bool VCardLines::NextPhysical(std::string_view& line) {
    if (m_position >= m_bytes.size()) return false;
    const size_t end = m_bytes.find_first_of("\r\n", m_position);
    if (end == std::string_view::npos) {
        line = m_bytes.substr(m_position);
        m_position = m_bytes.size();
    } else {
        line = m_bytes.substr(m_position, end - m_position);
        m_position = end + 1;
        if (m_bytes[end] == '\r' && m_position < m_bytes.size() && m_bytes[m_position] == '\n') {
            ++m_position;
        }
    }
    ++m_lineNumber;
    return true;
}

bool VCardLines::Next(VCardProperty& property) {
    std::string_view first;
    int firstNumber = 0;
    if (m_havePending) {
        first = m_pending;
        firstNumber = m_pendingNumber;
        m_havePending = false;
    } else {
        do {
            if (!NextPhysical(first)) return false;
        } while (Blank(first));
        firstNumber = m_lineNumber;
    }

    // Past the bound the lines are still followed to the property's end, but
    // not kept.
    bool tooLong = first.size() > kMaxVCardPropertyBytes;
    std::string& joined = m_joined;
    joined.assign(tooLong ? std::string_view() : first);
    const auto add = [&](std::string_view more) {
        if (tooLong) return;
        if (joined.size() + more.size() > kMaxVCardPropertyBytes) {
            tooLong = true;
            std::string().swap(joined);
            return;
        }
        joined += more;
    };
    const bool quotedPrintable = QuotedPrintableHead(first);
    // Whether the text so far ends in "=", also when it is no longer kept.
    bool endsInEquals = first.ends_with('=');
    std::string_view next;
    while (NextPhysical(next)) {
        if (quotedPrintable && (tooLong ? endsInEquals : joined.ends_with('='))) {
            if (!tooLong) joined.pop_back();  // a soft line break
            add(next);
            endsInEquals = next.ends_with('=');
        } else if (!next.empty() && (next[0] == ' ' || next[0] == '\t')) {
            add(next.substr(1));
            endsInEquals = next.ends_with('=');
        } else if (Blank(next)) {
            break;
        } else {
            m_havePending = true;
            m_pending = next;
            m_pendingNumber = m_lineNumber;
            break;
        }
    }
    if (tooLong) {
        Parse({}, firstNumber, property, m_pieces);
        property.wellFormed = true;
        property.bound = VCardProperty::Bound::TooLong;
        return true;
    }
    Parse(joined, firstNumber, property, m_pieces);
    // Room kept for the next property, unless this one was large.
    if (joined.capacity() > kKeptRoom) std::string().swap(joined);
    return true;
}
