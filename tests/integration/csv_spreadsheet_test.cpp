// The exported history as a spreadsheet reads it: converted by the office
// suite's spreadsheet without its window, in both encodings. Skipped where it
// is not installed (Debian's libreoffice-calc-nogui).

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "history/CallCsv.h"
#include "platform/Cp932.h"
#include "support/CallSamples.h"
#include "support/ScratchDir.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), {});
}

TEST(CsvSpreadsheetTest, NumbersKeepTheirZeroAndNoFormulaRuns) {
    if (std::system("command -v soffice >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "soffice is not installed";
    UseJapanTime();
    ScratchDir scratch;
    const std::string csv = CallsCsv(
        {MakeCall(kMarch2024, CallOutcome::Answered, "0312345678", "=1+2", 3, 120),
         MakeCall(kMarch2024 + 60, CallOutcome::Dialled, "*31#0120", "@SUM(1;2)", 3725, 80)});
    // The character set as the suite's import dialog takes it from the mark
    // (76 UTF-8, 64 Shift_JIS); without it the tool reads Latin-1.
    const struct {
        CsvEncoding encoding;
        const char* charset;
    } cases[] = {{CsvEncoding::Utf8, "76"}, {CsvEncoding::ShiftJis, "64"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.charset);
        const std::string in = scratch.PathOf(std::string("calls-") + c.charset + ".csv");
        std::ofstream(in, std::ios::binary) << EncodeCsv(csv, c.encoding).bytes;
        const std::string out = scratch.PathOf("out");
        const std::string command =
            "HOME=" + scratch.Path() + " soffice -env:UserInstallation=file://" +
            scratch.PathOf("profile") + " --headless --infilter=CSV:44,34," + c.charset +
            " --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir " + out + " " + in +
            " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::string converted = Read(out + "/" + fs::path(in).filename().string());
        if (converted.rfind("\xEF\xBB\xBF", 0) == 0) converted.erase(0, 3);
        // Each row's fields; the call time is a time value, shown as the
        // locale has it ("0:00:03" or "12:00:03 AM"), never as minutes.
        std::vector<std::vector<std::string>> rows;
        std::istringstream lines(converted);
        for (std::string line; std::getline(lines, line);) {
            std::vector<std::string> fields;
            std::istringstream split(line);
            for (std::string field; std::getline(split, field, ',');) fields.push_back(field);
            rows.push_back(fields);
        }
        ASSERT_EQ(rows.size(), 3u) << converted;
        EXPECT_EQ(rows[0], (std::vector<std::string>{"日時", "種別", "電話番号", "名前", "通話時間",
                                                     "料金(円)"}));
        const struct {
            std::string number, name, seconds, charge;
        } expected[] = {{"0312345678", "'=1+2", "00:03", "120"},
                        {"*31#0120", "'@SUM(1;2)", "02:05", "80"}};
        for (size_t i = 0; i < 2; ++i) {
            const auto& row = rows[i + 1];
            ASSERT_EQ(row.size(), 6u) << converted;
            EXPECT_EQ(row[2], expected[i].number);
            EXPECT_EQ(row[3], expected[i].name);
            EXPECT_NE(row[4].find(":" + expected[i].seconds), std::string::npos) << row[4];
            EXPECT_EQ(row[5], expected[i].charge);
        }
    }
}

}  // namespace
