// The history's column texts and the CSV quoting.

#include "history/CallTexts.h"

#include <gtest/gtest.h>

#include "history/Csv.h"
#include "support/CallSamples.h"

namespace {

TEST(CallTexts, DurationAndCharge) {
    const struct {
        int seconds;
        const char* text;
    } durations[] = {{0, "0:00"},       {59, "0:59"},        {61, "1:01"}, {3599, "59:59"},
                     {3600, "1:00:00"}, {90061, "25:01:01"}, {-5, "0:00"}};
    for (const auto& d : durations) EXPECT_EQ(DurationText(d.seconds), d.text) << d.seconds;
    EXPECT_EQ(ChargeText(80), "¥80");
    EXPECT_EQ(ChargeText(0), "¥0");
    EXPECT_EQ(ChargeText(std::nullopt), "");
}

TEST(CallTexts, KindAndLocalTime) {
    UseJapanTime();
    CallRecord call = MakeCall(kMarch2024 + 9 * 3600 + 5 * 60 + 59, CallOutcome::Missed);
    EXPECT_EQ(CallTimeText(call.started), "2024/03/01 09:05");
    const struct {
        CallOutcome outcome;
        const char* text;
    } kinds[] = {{CallOutcome::Answered, "着信"},
                 {CallOutcome::Missed, "不在着信"},
                 {CallOutcome::HeldEnded, "保留終了"},
                 {CallOutcome::Dialled, "発信"}};
    for (const auto& k : kinds) {
        call.outcome = k.outcome;
        EXPECT_EQ(CallKindText(call), k.text);
    }
    call.inProgress = true;
    EXPECT_EQ(CallKindText(call), "通話中");
}

TEST(Csv, FieldsAreQuotedOnlyWhenTheyMustBe) {
    const struct {
        const char* text;
        const char* field;
    } cases[] = {{"", ""},
                 {"山田太郎", "山田太郎"},
                 {"a,b", "\"a,b\""},
                 {"say \"hi\"", "\"say \"\"hi\"\"\""},
                 {"two\r\nlines", "\"two\r\nlines\""},
                 {"lf\nonly", "\"lf\nonly\""},
                 {"'single'", "'single'"}};
    for (const auto& c : cases) EXPECT_EQ(CsvField(c.text), c.field) << c.text;
    EXPECT_EQ(CsvRecord({"a", "", "b,c"}), "a,,\"b,c\"\r\n");
    EXPECT_EQ(CsvRecord({}), "\r\n");
}

}  // namespace
