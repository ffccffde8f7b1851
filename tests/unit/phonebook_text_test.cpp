// The small text rules of address books: numbers in their dialled form,
// readings in half-width katakana, and the kind of file told by its bytes.

#include <gtest/gtest.h>

#include <string>

#include "phonebook/DialledNumber.h"
#include "phonebook/KanaReading.h"
#include "phonebook/PhoneBookFormat.h"
#include "platform/Cp932.h"

namespace {
using namespace std::string_literals;

TEST(DialledDigitsTest, DropsSeparatorsAndTheCountryCodeOfJapan) {
    const struct {
        const char* written;  // UTF-8
        const char* dialled;
    } cases[] = {
        {"090-1234-5678", "09012345678"},
        {"+81 90-1234-5678", "09012345678"},
        {"+81 (0)3 1234 5678", "0312345678"},
        {"0081-3-1234-5678", "0312345678"},
        {"010-81-3-1234-5678", "0312345678"},
        {"(03) 1234.5678", "0312345678"},
        {"+1 (555) 123-4567", "01015551234567"},
        {"０９０ー１２３４ー５６７８", "09012345678"},  // full-width digits
        {"*31#090", "*31#090"},
        {"12+34", "1234"},  // a "+" counts only at the start
        {"tel: ext", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DialledDigits(Utf8ToCp932(c.written)), c.dialled) << c.written;
    }
}

TEST(HalfWidthReadingTest, TurnsKanaHalfWidthAndLeavesTheRest) {
    const struct {
        const char* reading;
        const char* shown;
    } cases[] = {
        {"やまだ たろう", "ﾔﾏﾀﾞ ﾀﾛｳ"},
        {"ガッコウ・ポスト", "ｶﾞｯｺｳ･ﾎﾟｽﾄ"},
        {"ｽｽﾞｷ", "ｽｽﾞｷ"},
        {"ヴぁー", "ｳﾞｧｰ"},
        {"山田 Taro", "山田 Taro"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Cp932ToUtf8(HalfWidthReading(Utf8ToCp932(c.reading))), c.shown) << c.reading;
    }
}

TEST(PhoneBookFormatTest, ToldByTheFirstBytes) {
    const struct {
        std::string head;
        PhoneBookFormat format;
    } cases[] = {
        {"BEGIN:VCARD\r\n", PhoneBookFormat::VCard},
        {"\xEF\xBB\xBF\r\n  begin:vcard\n", PhoneBookFormat::VCard},
        {"\x00\x00\x00\x00\x00\x00\x00\x00"s, PhoneBookFormat::MemoryDial},
        {"\x88\x13\x00\x00"s, PhoneBookFormat::MemoryDial},  // 5000 records
        {"\xFF\xFF\xFF\x7F"s, PhoneBookFormat::MemoryDial},
        {"\x01\x00", PhoneBookFormat::MemoryDial},  // shorter than a count
        {"", PhoneBookFormat::MemoryDial},
        {"Name,Phone\r\n", PhoneBookFormat::Csv},
        {"\xEF\xBB\xBF名前,電話\n", PhoneBookFormat::Csv},
        {Utf8ToCp932("名前,電話\n"), PhoneBookFormat::Csv},
        {"BEGIN:VCAR", PhoneBookFormat::Csv},
        {"Name,Phone\nBEGIN:VCARD\n", PhoneBookFormat::VCard},
    };
    for (const auto& c : cases) EXPECT_EQ(DetectPhoneBookFormat(c.head), c.format) << c.head;
}

}  // namespace
