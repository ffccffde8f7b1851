#include "phonebook/CsvRows.h"

CsvRows::CsvRows(std::string_view bytes) : m_bytes(bytes) {}

bool CsvRows::Next(std::vector<std::string>& fields, int& line) {
    fields.clear();
    if (m_position >= m_bytes.size()) return false;
    line = m_line;
    fields.emplace_back();
    while (m_position < m_bytes.size()) {
        const char c = m_bytes[m_position];
        if (c == '"' && fields.back().empty()) {
            const int quoteLine = m_line;
            ++m_position;
            bool closed = false;
            while (m_position < m_bytes.size()) {
                const char q = m_bytes[m_position++];
                if (q == '"') {
                    if (m_position < m_bytes.size() && m_bytes[m_position] == '"') {
                        fields.back() += '"';
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
                fields.back() += q;
            }
            if (!closed && m_unclosedQuoteLine == 0) m_unclosedQuoteLine = quoteLine;
            // Whatever follows the closing quote up to the next comma or line
            // end is kept, as spreadsheets do.
        } else if (c == ',') {
            ++m_position;
            fields.emplace_back();
        } else if (c == '\r' || c == '\n') {
            ++m_position;
            if (c == '\r' && m_position < m_bytes.size() && m_bytes[m_position] == '\n') {
                ++m_position;
            }
            ++m_line;
            return true;
        } else {
            const size_t end = m_bytes.find_first_of(",\r\n", m_position);
            const size_t stop = end == std::string_view::npos ? m_bytes.size() : end;
            fields.back().append(m_bytes.substr(m_position, stop - m_position));
            m_position = stop;
        }
    }
    return true;
}
