#include "phonebook/CsvRows.h"

CsvRows::CsvRows(std::string_view bytes) : m_bytes(bytes) {}

void CsvRows::Keep(std::vector<std::string>& fields, std::string_view text) {
    m_fieldBytes += text.size();
    if (m_row != Row::Read) return;
    m_rowBytes += text.size();
    if (m_rowBytes > kMaxCsvRowBytes) {
        m_row = Row::TooLong;
        fields.clear();
        return;
    }
    fields.back().append(text);
}

void CsvRows::NewField(std::vector<std::string>& fields) {
    ++m_rowFields;
    m_fieldBytes = 0;
    if (m_row != Row::Read) return;
    if (m_rowFields > kMaxCsvColumns) {
        m_row = Row::TooManyColumns;
        fields.clear();
        return;
    }
    fields.emplace_back();
}

bool CsvRows::Next(std::vector<std::string>& fields, int& line, Row& row) {
    fields.clear();
    if (m_position >= m_bytes.size()) return false;
    line = m_line;
    m_row = Row::Read;
    m_rowBytes = 0;
    m_rowFields = 0;
    NewField(fields);
    while (m_position < m_bytes.size()) {
        const char c = m_bytes[m_position];
        // A quote opens quoting only where the field has no text yet.
        if (c == '"' && m_fieldBytes == 0) {
            const int quoteLine = m_line;
            ++m_position;
            bool closed = false;
            while (m_position < m_bytes.size()) {
                // Runs of plain text are taken whole.
                const size_t special = m_bytes.find_first_of("\"\r\n", m_position);
                const size_t stop = special == std::string_view::npos ? m_bytes.size() : special;
                Keep(fields, m_bytes.substr(m_position, stop - m_position));
                m_position = stop;
                if (m_position >= m_bytes.size()) break;
                const char q = m_bytes[m_position++];
                if (q == '"') {
                    if (m_position < m_bytes.size() && m_bytes[m_position] == '"') {
                        Keep(fields, "\"");
                        ++m_position;
                        continue;
                    }
                    closed = true;
                    break;
                }
                if (q == '\n' ||
                    (q == '\r' && (m_position >= m_bytes.size() || m_bytes[m_position] != '\n'))) {
                    ++m_line;
                }
                Keep(fields, std::string_view(&q, 1));
            }
            if (!closed && m_unclosedQuoteLine == 0) m_unclosedQuoteLine = quoteLine;
            // Whatever follows the closing quote up to the next comma or line
            // end is kept, as spreadsheets do.
        } else if (c == ',') {
            ++m_position;
            NewField(fields);
        } else if (c == '\r' || c == '\n') {
            ++m_position;
            if (c == '\r' && m_position < m_bytes.size() && m_bytes[m_position] == '\n') {
                ++m_position;
            }
            ++m_line;
            break;
        } else {
            const size_t end = m_bytes.find_first_of(",\r\n", m_position);
            const size_t stop = end == std::string_view::npos ? m_bytes.size() : end;
            Keep(fields, m_bytes.substr(m_position, stop - m_position));
            m_position = stop;
        }
    }
    row = m_row;
    return true;
}
