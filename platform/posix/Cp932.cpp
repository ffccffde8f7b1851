#include "platform/Cp932.h"
#include "platform/Utf8Writer.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace {

constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kYenSign = "\xC2\xA5";              // U+00A5

// One iconv descriptor per direction and thread, opened on first use: opening
// one loads the converter module, which costs far more than a short text.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (Usable()) iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Usable() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of `in` as it can, appending to `out`; stops at the
    // first byte it cannot take. Returns 0 when all of `in` was taken, or the
    // errno of the stop (EILSEQ, EINVAL) with `in` advanced to that byte.
    int Convert(std::string_view& in, std::string& out) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);  // fresh shift state
        char buffer[1024];
        while (!in.empty()) {
            char* src = const_cast<char*>(in.data());
            size_t srcLeft = in.size();
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            int err = rc == static_cast<size_t>(-1) ? errno : 0;
            out.append(buffer, static_cast<size_t>(dst - buffer));
            in.remove_prefix(in.size() - srcLeft);
            if (err == E2BIG) continue;  // output buffer full: go on
            if (err != 0) return err;
        }
        return 0;
    }

private:
    iconv_t m_cd;
};

Converter& FromCp932() {
    thread_local Converter conv("UTF-8", "CP932");
    return conv;
}

Converter& ToCp932() {
    thread_local Converter conv("CP932", "UTF-8");
    return conv;
}

// Length of the well-formed UTF-8 sequence at the start of `s`, or 0 when the
// bytes there are not one (stray continuation, overlong form, surrogate, above
// U+10FFFF, or cut short).
size_t Utf8SequenceLength(std::string_view s) {
    auto b = [&](size_t i) { return static_cast<uint8_t>(s[i]); };
    auto cont = [&](size_t i) { return i < s.size() && (b(i) & 0xC0) == 0x80; };
    if (s.empty()) return 0;
    uint8_t c = b(0);
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2)) return 0;
        if (c == 0xE0 && b(1) < 0xA0) return 0;  // overlong
        if (c == 0xED && b(1) > 0x9F) return 0;  // surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3)) return 0;
        if (c == 0xF0 && b(1) < 0x90) return 0;  // overlong
        if (c == 0xF4 && b(1) > 0x8F) return 0;  // above U+10FFFF
        return 4;
    }
    return 0;
}

}  // namespace

bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::string Cp932ToUtf8(std::string_view cp932, bool yenForBackslash) {
    std::string utf8;
    utf8.reserve(cp932.size() * 3 / 2);
    Converter& conv = FromCp932();
    while (!cp932.empty()) {
        if (!conv.Usable()) {
            // Without a converter only ASCII can be trusted.
            uint8_t c = static_cast<uint8_t>(cp932.front());
            utf8 += c < 0x80 ? std::string_view(cp932.data(), 1) : kReplacementChar;
            cp932.remove_prefix(1);
            continue;
        }
        if (conv.Convert(cp932, utf8) != 0) {
            // An invalid or cut-short character: mark its first byte and
            // resynchronise on the next one.
            utf8 += kReplacementChar;
            cp932.remove_prefix(1);
        }
    }
    if (!yenForBackslash) return utf8;

    // In UTF-8 the byte 0x5C only ever stands for U+005C, which the converter
    // gives for the single byte 0x5C alone (never for a trail byte 0x5C).
    std::string shown;
    shown.reserve(utf8.size());
    for (char c : utf8) {
        if (c == '\\')
            shown += kYenSign;
        else
            shown += c;
    }
    return shown;
}

std::string Utf8ToCp932(std::string_view utf8) {
    std::string cp932;
    cp932.reserve(utf8.size());
    Converter& conv = ToCp932();
    while (!utf8.empty()) {
        // The yen sign is the byte 0x5C whatever the converter would make of it.
        if (utf8.starts_with(kYenSign)) {
            cp932 += '\\';
            utf8.remove_prefix(kYenSign.size());
            continue;
        }
        size_t yen = utf8.find(kYenSign);
        std::string_view chunk = utf8.substr(0, yen);
        utf8.remove_prefix(chunk.size());
        while (!chunk.empty()) {
            if (!conv.Usable()) {
                size_t len = Utf8SequenceLength(chunk);
                if (len == 1) cp932 += chunk.front();
                chunk.remove_prefix(len == 0 ? 1 : len);
                continue;
            }
            if (conv.Convert(chunk, cp932) != 0) {
                // Either a character code page 932 lacks (dropped whole) or
                // bytes that are not UTF-8 (dropped one by one).
                size_t len = Utf8SequenceLength(chunk);
                chunk.remove_prefix(len == 0 ? 1 : len);
            }
        }
    }
    return cp932;
}
