// Address books in character sets other than code page 932, UTF-8 and
// Latin-1: the system's converters (iconv, or the Windows code pages) read
// them alike.

#include "platform/ForeignCharset.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ForeignCharsetTest, TheSystemsConvertersReadTheCommonCharacterSetsAlike) {
    struct Case {
        const char* charset;
        std::string raw;
        ForeignDecode result;
        std::string utf8;
    };
    const Case cases[] = {
        {"EUC-JP", "\xBB\xB3\xC5\xC4 \xA5\xE4\xA5\xDE", ForeignDecode::Valid, "山田 ヤマ"},
        {"euc-jp", "\xC2\xC0", ForeignDecode::Valid, "太"},
        {"ISO-8859-15", "caf\xE9 \xA4", ForeignDecode::Valid, "café €"},
        {"KOI8-R", "\xF0\xD2\xC9", ForeignDecode::Valid, "При"},
        {"WINDOWS-1251", "\xCF\xF0\xE8", ForeignDecode::Valid, "При"},
        {"EUC-JP", "", ForeignDecode::Valid, ""},
        // A lead byte without its trail, then a lone trail byte: each dropped.
        {"EUC-JP", "a\xBB", ForeignDecode::Invalid, "a"},
        {"EUC-JP", "\xBB\xB3\xFF\xC5\xC4", ForeignDecode::Invalid, "山田"},
        {"NO-SUCH-CHARSET", "abc", ForeignDecode::UnknownCharset, "kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.charset) + " " + c.utf8);
        std::string out = c.result == ForeignDecode::UnknownCharset ? "kept" : "";
        EXPECT_EQ(ForeignToUtf8(c.raw, c.charset, out), c.result);
        EXPECT_EQ(out, c.utf8);
    }
}

}  // namespace
