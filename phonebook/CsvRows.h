#pragma once
// The records of a CSV file (RFC 4180): fields separated by commas, records
// by line ends; a field in double quotes may hold commas, line ends and
// doubled quotes.

#include <string>
#include <string_view>
#include <vector>

// No address book has rows this wide or long; a row beyond either is dropped
// as it is read, so a file of commas costs no more than its own bytes.
inline constexpr size_t kMaxCsvColumns = 1000;
inline constexpr size_t kMaxCsvRowBytes = 1u << 20;

class CsvRows {
public:
    // `bytes` must outlive the reader. Both UTF-8 and Shift_JIS can be read
    // byte by byte: none of their multi-byte characters holds a comma, quote
    // or line end.
    explicit CsvRows(std::string_view bytes);

    enum class Row {
        Read,
        TooManyColumns,  // more than kMaxCsvColumns fields: `fields` is empty
        TooLong,         // more than kMaxCsvRowBytes of text: `fields` is empty
    };

    // The next record and the line it begins on; false at the end. An empty
    // line is a record of one empty field. A record beyond the bounds is read
    // to its end and given as `row`.
    bool Next(std::vector<std::string>& fields, int& line, Row& row);
    bool Next(std::vector<std::string>& fields, int& line) {
        Row ignored = Row::Read;
        return Next(fields, line, ignored);
    }
    // Set when a quoted field ran to the end of the file: the line it began on.
    int UnclosedQuoteLine() const { return m_unclosedQuoteLine; }

private:
    // Takes bytes into the last field, unless the row is over its bounds.
    void Keep(std::vector<std::string>& fields, std::string_view text);
    void NewField(std::vector<std::string>& fields);

    std::string_view m_bytes;
    size_t m_position = 0;
    int m_line = 1;
    int m_unclosedQuoteLine = 0;
    Row m_row = Row::Read;
    size_t m_rowBytes = 0;
    size_t m_rowFields = 0;
    size_t m_fieldBytes = 0;
};
