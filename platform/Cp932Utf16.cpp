// UTF-16 to code page 932, the same on every system: through UTF-8, which
// each system's conversion reads.

#include "platform/Cp932.h"
#include "platform/Utf8Writer.h"

std::string Utf16ToCp932(std::u16string_view utf16) {
    std::string utf8;
    utf8.reserve(utf16.size() * 3);
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t unit = utf16[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (utf16[i + 1] - 0xDC00), utf8);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            continue;  // a lone surrogate is no character
        } else {
            AppendUtf8(unit, utf8);
        }
    }
    return Utf8ToCp932(utf8);
}
