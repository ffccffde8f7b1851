#include "phonebook/TextCharset.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "platform/Cp932.h"
#include "platform/ForeignCharset.h"

namespace {

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// Length of the well-formed UTF-8 sequence at `i`, or 0.
size_t Utf8Length(std::string_view s, size_t i) {
    auto b = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    auto cont = [&](size_t k) { return k < s.size() && (b(k) & 0xC0) == 0x80; };
    const uint8_t c = b(i);
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return cont(i + 1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(i + 1) || !cont(i + 2)) return 0;
        if ((c == 0xE0 && b(i + 1) < 0xA0) || (c == 0xED && b(i + 1) > 0x9F)) return 0;
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(i + 1) || !cont(i + 2) || !cont(i + 3)) return 0;
        if ((c == 0xF0 && b(i + 1) < 0x90) || (c == 0xF4 && b(i + 1) > 0x8F)) return 0;
        return 4;
    }
    return 0;
}

void AppendUtf8(uint32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

Charset CharsetOfName(std::string_view name) {
    const std::string upper = Upper(name);
    if (upper == "UTF-8" || upper == "UTF8") return Charset::Utf8;
    if (upper == "SHIFT_JIS" || upper == "SHIFT-JIS" || upper == "SJIS" || upper == "CP932" ||
        upper == "WINDOWS-31J" || upper == "MS_KANJI" || upper == "X-SJIS" || upper == "MS932") {
        return Charset::Cp932;
    }
    if (upper == "ISO-8859-1" || upper == "ISO8859-1" || upper == "LATIN1" || upper == "US-ASCII" ||
        upper == "ASCII") {
        return Charset::Latin1;
    }
    return Charset::Other;
}

bool IsValidUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = Utf8Length(bytes, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

bool LooksLikeUtf8(std::string_view bytes) {
    size_t multiByte = 0;
    size_t invalid = 0;
    for (size_t i = 0; i < bytes.size();) {
        const size_t length = Utf8Length(bytes, i);
        if (length == 0) {
            ++invalid;
            ++i;
            continue;
        }
        if (length > 1) ++multiByte;
        i += length;
    }
    // Shift_JIS text read as UTF-8 breaks at nearly every character.
    return invalid == 0 || multiByte >= 4 * invalid;
}

bool IsValidCp932(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<uint8_t>(bytes[i]);
        if (IsCp932LeadByte(c)) {
            if (i + 1 >= bytes.size()) return false;
            const auto trail = static_cast<uint8_t>(bytes[++i]);
            if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
        } else if (c == 0x80 || c == 0xA0 || c >= 0xFD) {
            return false;
        }
    }
    return true;
}

SplittableText DecodeText(std::string_view raw, Charset charset, std::string_view name) {
    SplittableText text;
    switch (charset) {
        case Charset::Cp932:
            text.bytes = raw;
            text.cp932 = true;
            text.valid = IsValidCp932(raw);
            break;
        case Charset::Utf8:
            text.bytes = raw;
            text.valid = IsValidUtf8(raw);
            break;
        case Charset::Latin1:
            text.bytes.reserve(raw.size());
            for (const char c : raw) AppendUtf8(static_cast<uint8_t>(c), text.bytes);
            break;
        case Charset::Other:
            switch (ForeignToUtf8(raw, name, text.bytes)) {
                case ForeignDecode::Valid:
                    break;
                case ForeignDecode::Invalid:
                    text.valid = false;
                    break;
                case ForeignDecode::UnknownCharset:
                    // Taken as UTF-8, as far as it is.
                    text.bytes = raw;
                    text.valid = IsValidUtf8(raw);
                    break;
            }
            break;
    }
    return text;
}

std::string ToCp932(std::string_view piece, bool isCp932) {
    return isCp932 ? std::string(piece) : Utf8ToCp932(piece);
}

std::vector<std::string> SplitEscaped(std::string_view text, char separator, bool isCp932) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (isCp932 && IsCp932LeadByte(static_cast<uint8_t>(c)) && i + 1 < text.size()) {
            parts.back() += c;
            parts.back() += text[++i];
        } else if (c == '\\' && i + 1 < text.size()) {
            const char escaped = text[++i];
            parts.back() += escaped == 'n' || escaped == 'N' ? '\n' : escaped;
        } else if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}
