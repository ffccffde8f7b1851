#include "platform/ForeignCharset.h"

#include <iconv.h>

#include <cerrno>

ForeignDecode ForeignToUtf8(std::string_view raw, std::string_view charsetName, std::string& out) {
    const std::string from(charsetName);
    iconv_t cd = iconv_open("UTF-8", from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return ForeignDecode::UnknownCharset;
    bool valid = true;
    char buffer[1024];
    while (!raw.empty()) {
        char* src = const_cast<char*>(raw.data());
        size_t srcLeft = raw.size();
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        const int err = rc == static_cast<size_t>(-1) ? errno : 0;
        out.append(buffer, static_cast<size_t>(dst - buffer));
        raw.remove_prefix(raw.size() - srcLeft);
        if (err == E2BIG) continue;
        if (err != 0) {
            valid = false;
            raw.remove_prefix(1);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return valid ? ForeignDecode::Valid : ForeignDecode::Invalid;
}
