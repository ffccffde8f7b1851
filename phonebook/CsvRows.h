#pragma once
// The records of a CSV file (RFC 4180): fields separated by commas, records
// by line ends; a field in double quotes may hold commas, line ends and
// doubled quotes.

#include <string>
#include <string_view>
#include <vector>

class CsvRows {
public:
    // `bytes` must outlive the reader. Both UTF-8 and Shift_JIS can be read
    // byte by byte: none of their multi-byte characters holds a comma, quote
    // or line end.
    explicit CsvRows(std::string_view bytes);

    // The next record and the line it begins on; false at the end. An empty
    // line is a record of one empty field.
    bool Next(std::vector<std::string>& fields, int& line);
    // Set when a quoted field ran to the end of the file: the line it began on.
    int UnclosedQuoteLine() const { return m_unclosedQuoteLine; }

private:
    std::string_view m_bytes;
    size_t m_position = 0;
    int m_line = 1;
    int m_unclosedQuoteLine = 0;
};
