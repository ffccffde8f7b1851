#include "handset/StatusTexts.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

TEST(StatusTexts, SignalTextFromTheStatusByte) {
    const std::pair<uint8_t, const char*> cases[] = {
        {0xC0, ""},
        {0xC1, "*"},
        {0xC4, "*"},
        {0xC5, "**"},
        {0xC8, "**"},
        {0xC9, "***"},
        {0xCC, "***"},
        {0xCD, "****"},
        {0xCF, "****"},
        {0x81, "No Service"},
        {0x00, "No Connection"},
        {0xBF, ""},
        {0xD0, ""},
        {0x21, ""},
    };
    for (auto [status, text] : cases) EXPECT_EQ(SignalText(status), text) << int(status);
}

TEST(StatusTexts, ChargeTextsCarryTheYenByte) {
    EXPECT_EQ(PhoneEndedChargeText(120),
              "Charge \x5C"
              "120");
    EXPECT_EQ(PhoneEndedChargeText(0), "Charge \\0");
    EXPECT_EQ(PhoneEndedChargeText(-1), "Cahrge \\???");
    EXPECT_EQ(PhoneEndedChargeText(-2), "No Charge Info");
    EXPECT_EQ(UserEndedChargeText(2147483647), "Charge \\2147483647");
    EXPECT_EQ(UserEndedChargeText(-1), "Charge \\???");
    EXPECT_EQ(UserEndedChargeText(-2), "No Charge Info");
}

std::tm At(int year, int month, int day, int wday, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_wday = wday;
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}

TEST(StatusTexts, ClockWithTwoDigitFieldsAndEnglishWeekday) {
    EXPECT_EQ(ClockText(At(2024, 3, 5, 2, 9, 7)), "03/05(Tue) 09:07");
    EXPECT_EQ(ClockText(At(2024, 12, 31, 0, 23, 59)), "12/31(Sun) 23:59");
}

TEST(StatusTexts, ClockWeekdayStaysEnglishUnderAJapaneseLocale) {
    const std::string previous = std::setlocale(LC_TIME, nullptr);
    if (!std::setlocale(LC_TIME, "ja_JP.UTF-8") && !std::setlocale(LC_TIME, "ja_JP.utf8"))
        GTEST_SKIP() << "no Japanese locale installed";
    const std::string text = ClockText(At(2024, 3, 6, 3, 0, 0));
    std::setlocale(LC_TIME, previous.c_str());
    EXPECT_EQ(text, "03/06(Wed) 00:00");
}

}  // namespace
