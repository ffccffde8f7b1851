#pragma once
// Comma-separated values as RFC 4180 has them: CR LF after each record, a
// field in double quotes (its quotes doubled) when it holds a comma, a quote,
// CR or LF.

#include <string>
#include <string_view>
#include <vector>

std::string CsvField(std::string_view text);
// One record with its CR LF.
std::string CsvRecord(const std::vector<std::string>& fields);
