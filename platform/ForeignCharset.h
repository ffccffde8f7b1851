#pragma once
// Text in a character set named as MIME names them ("EUC-JP", "ISO-8859-15",
// "KOI8-R") turned into UTF-8 by the system's own converters: iconv, or the
// code pages of Windows.

#include <string>
#include <string_view>

enum class ForeignDecode {
    UnknownCharset,  // the system knows no such character set; `out` untouched
    Invalid,         // bytes it could not take were dropped one by one
    Valid,
};

ForeignDecode ForeignToUtf8(std::string_view raw, std::string_view charsetName, std::string& out);
