// Other character sets through the code pages of Windows: the MIME name
// looked up in a table of the common ones (and "CPnnn", "WINDOWS-nnnn"),
// then MultiByteToWideChar. Bytes the code page cannot take are dropped one
// by one, as the iconv form does.

#include "platform/ForeignCharset.h"

#include <windows.h>

#include <cctype>
#include <string>

#include "platform/win32/Win32Text.h"

namespace {

struct NamedCodePage {
    const char* name;
    UINT codePage;
};
constexpr NamedCodePage kCodePages[] = {
    {"EUC-JP", 20932},       {"EUCJP", 20932},      {"ISO-2022-JP", 50220}, {"EUC-KR", 51949},
    {"KS_C_5601-1987", 949}, {"GB2312", 936},       {"GBK", 936},           {"GB18030", 54936},
    {"BIG5", 950},           {"KOI8-R", 20866},     {"KOI8-U", 21866},      {"ISO-8859-2", 28592},
    {"ISO-8859-3", 28593},   {"ISO-8859-4", 28594}, {"ISO-8859-5", 28595},  {"ISO-8859-6", 28596},
    {"ISO-8859-7", 28597},   {"ISO-8859-8", 28598}, {"ISO-8859-9", 28599},  {"ISO-8859-13", 28603},
    {"ISO-8859-15", 28605},  {"UTF-7", 65000},
};

// Code pages whose converters take no flags: they cannot tell invalid input.
bool TakesNoFlags(UINT codePage) {
    return (codePage >= 50220 && codePage <= 50229) || codePage == 52936 ||
           (codePage >= 57002 && codePage <= 57011) || codePage == 65000 || codePage == 42;
}

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// The number after `prefix`, 0 when the name is not prefix + digits.
UINT NumberAfter(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 5 ||
        name.compare(0, prefix.size(), prefix) != 0)
        return 0;
    UINT n = 0;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
        n = n * 10 + static_cast<UINT>(name[i] - '0');
    }
    return n;
}

UINT CodePageOf(std::string_view charsetName) {
    const std::string name = Upper(charsetName);
    for (const NamedCodePage& known : kCodePages) {
        if (name == known.name) return known.codePage;
    }
    UINT number = NumberAfter(name, "WINDOWS-");
    if (number == 0) number = NumberAfter(name, "CP");
    // Names of the Unicode forms are no code pages for MultiByteToWideChar.
    if (number == 0 || number == 1200 || number == 1201 || number == 12000 || number == 12001)
        return 0;
    return IsValidCodePage(number) ? number : 0;
}

// The wide form of all of `bytes`; false when the code page refuses them.
bool Convert(UINT codePage, std::string_view bytes, std::wstring& wide) {
    const DWORD flags = TakesNoFlags(codePage) ? 0 : MB_ERR_INVALID_CHARS;
    const int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                                      nullptr, 0);
    if (n <= 0) return false;
    wide.assign(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                        n);
    return true;
}

}  // namespace

ForeignDecode ForeignToUtf8(std::string_view raw, std::string_view charsetName, std::string& out) {
    const UINT codePage = CodePageOf(charsetName);
    if (codePage == 0) return ForeignDecode::UnknownCharset;
    std::wstring wide;
    if (raw.empty() || Convert(codePage, raw, wide)) {
        out += Utf8Of(wide);
        return ForeignDecode::Valid;
    }
    // Character by character: the shortest run of up to four bytes that is
    // one, else the first byte dropped.
    bool valid = true;
    std::wstring all;
    while (!raw.empty()) {
        size_t taken = 0;
        for (size_t length = 1; length <= 4 && length <= raw.size() && taken == 0; ++length) {
            if (Convert(codePage, raw.substr(0, length), wide)) {
                all += wide;
                taken = length;
            }
        }
        if (taken == 0) {
            valid = false;
            taken = 1;
        }
        raw.remove_prefix(taken);
    }
    out += Utf8Of(all);
    return valid ? ForeignDecode::Valid : ForeignDecode::Invalid;
}
