// The history's CSV file: nothing a spreadsheet would run, numbers kept as
// text, times and charges as values, and both encodings.

#include "history/CallCsv.h"

#include <gtest/gtest.h>

#include "platform/Cp932.h"
#include "support/CallSamples.h"

namespace {

TEST(CallCsvTest, FieldsASpreadsheetReadsAsWritten) {
    const struct {
        const char* name;
        const char* number;
        int seconds;
        std::optional<int> yen;
        std::string line;  // the record's line without its time and kind
    } cases[] = {
        {"=HYPERLINK(\"http://x\",\"y\")", "0312345678", 3, 120,
         R"x(="0312345678","'=HYPERLINK(""http://x"",""y"")",0:00:03,120)x"},
        {"@SUM(A1)", "*31#0120", 3725, std::nullopt, R"x(="*31#0120",'@SUM(A1),1:02:05,)x"},
        {"+81 friend", "117", 59, 0, R"x(="117",'+81 friend,0:00:59,0)x"},
        {"-1", "0120444444", 60, 10, R"x(="0120444444",'-1,0:01:00,10)x"},
        {"\ttab", "0", 0, 1, "=\"0\",'\ttab,0:00:00,1"},
        {"\rcr", "0", 0, 1, "=\"0\",\"'\rcr\",0:00:00,1"},
        // Not dial characters: plain text, never inside a formula.
        {"山田", "03\"),x", 0, 1, R"x("03""),x",山田,0:00:00,1)x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UseJapanTime();
        const CallRecord call =
            MakeCall(kMarch2024, CallOutcome::Answered, c.number, c.name, c.seconds, c.yen);
        const std::string csv = CallsCsv({call});
        EXPECT_EQ(csv, "日時,種別,電話番号,名前,通話時間,料金(円)\r\n2024/03/01 00:00,着信," +
                           c.line + "\r\n");
    }
    const CallRecord withheld = MakeCall(kMarch2024, CallOutcome::Missed, "", "");
    EXPECT_NE(CallsCsv({withheld}).find(",非通知,,"), std::string::npos);
}

TEST(CallCsvTest, Utf8WithItsMarkAndShiftJisThroughCodePage932) {
    const std::string text = "名前,¥,Müller😀\r\n";
    EXPECT_EQ(EncodeCsv(text, CsvEncoding::Utf8).bytes, "\xEF\xBB\xBF" + text);
    const EncodedCsv sjis = EncodeCsv(text, CsvEncoding::ShiftJis);
    EXPECT_EQ(sjis.replaced, 2);
    EXPECT_EQ(Cp932ToUtf8(sjis.bytes), "名前,¥,M?ller?\r\n");
    EXPECT_EQ(CallsCsvFileName(202403), "通話履歴-2024-03.csv");
}

}  // namespace
