#pragma once
// The history as a CSV file that spreadsheets read right: phone numbers kept
// as text with their leading zero, `*` and `#` (written ="0312345678", which
// both common spreadsheets take as text), no text ever run as a formula (a
// field beginning with = + - @, a tab or CR gets a leading '), the call time
// as H:MM:SS, the charge as a plain number of yen. UTF-8 with a byte-order
// mark, or Shift_JIS (code page 932) for older spreadsheets.

#include <string>
#include <string_view>
#include <vector>

#include "history/CallRecord.h"

enum class CsvEncoding { Utf8, ShiftJis };

struct EncodedCsv {
    std::string bytes;
    int replaced = 0;  // characters without a code page 932 form, written "?"
};

// A text field that no spreadsheet takes for a formula.
std::string CsvSafeText(std::string_view text);
// A phone number as a field that spreadsheets keep as text.
std::string CsvPhoneNumber(std::string_view number);
// Header and one record per call, CR LF, UTF-8 without a byte-order mark.
std::string CallsCsv(const std::vector<CallRecord>& records);
EncodedCsv EncodeCsv(std::string_view utf8, CsvEncoding encoding);
// "通話履歴-2024-03.csv" for a month given as year * 100 + month.
std::string CallsCsvFileName(int yearMonth);
