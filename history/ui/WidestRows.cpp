#include "history/ui/WidestRows.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>

#include "history/CallTexts.h"

namespace {

// How many rows of each kind are kept per column: more than one, since
// fonts do not give every character of the same count the same width.
constexpr size_t kKept = 4;

// Characters of UTF-8 text, those outside Latin, Greek and the like twice:
// they are drawn about twice as wide.
std::int64_t TextLength(std::string_view text) {
    std::int64_t length = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) == 0x80) continue;  // inside a character
        length += byte >= 0xE0 ? 2 : 1;
    }
    return length;
}

// The measure a column's text grows with, without making the text.
std::int64_t Measure(const CallRecord& record, int column) {
    switch (column) {
        case COL_NUMBER:
            return record.number.empty() ? 6 : std::int64_t(record.number.size());
        case COL_NAME:
            return TextLength(record.name);
        case COL_DURATION:
            return record.secondsOnLine;
        case COL_CHARGE:
            return record.chargeYen.value_or(-1);
        default:
            return 0;
    }
}

// The `kKept` largest by measure, in a small sorted list.
class Largest {
public:
    void Offer(std::int64_t measure, int row) {
        if (m_kept.size() == kKept && measure <= m_kept.back().first) return;
        const auto at =
            std::upper_bound(m_kept.begin(), m_kept.end(), measure,
                             [](std::int64_t m, const std::pair<std::int64_t, int>& kept) {
                                 return m > kept.first;
                             });
        m_kept.insert(at, {measure, row});
        if (m_kept.size() > kKept) m_kept.pop_back();
    }
    void AppendTo(std::vector<int>& rows) const {
        for (const auto& kept : m_kept) rows.push_back(kept.second);
    }

private:
    std::vector<std::pair<std::int64_t, int>> m_kept;
};

}  // namespace

std::vector<int> WidestRowCandidates(const std::vector<CallRecord>& rows, int column) {
    std::vector<int> chosen;
    if (column == COL_KIND || column == COL_TIME) {
        // Few texts: one row of each, bold or not. Every time has one shape.
        constexpr int kKinds = 5;  // the outcomes, and a call in progress
        int firstOfKind[kKinds][2];
        for (auto& kind : firstOfKind) kind[0] = kind[1] = -1;
        for (size_t row = 0; row < rows.size(); ++row) {
            const CallRecord& r = rows[row];
            const int kind = column == COL_TIME ? 0 : r.inProgress ? kKinds - 1 : int(r.outcome);
            int& first = firstOfKind[kind][r.seen ? 1 : 0];
            if (first < 0) first = int(row);
        }
        for (const auto& kind : firstOfKind)
            for (const int row : kind)
                if (row >= 0) chosen.push_back(row);
    } else {
        Largest plain;
        Largest bold;
        for (size_t row = 0; row < rows.size(); ++row)
            (rows[row].seen ? plain : bold).Offer(Measure(rows[row], column), int(row));
        plain.AppendTo(chosen);
        bold.AppendTo(chosen);
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    return chosen;
}
