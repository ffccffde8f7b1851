#include "phonebook/ListSort.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <numeric>
#include <utility>

namespace {

bool IsCp932Lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The character starting at `pos`, advancing `pos` past it.
unsigned NextChar(std::string_view text, size_t& pos) {
    const auto c = static_cast<unsigned char>(text[pos++]);
    if (IsCp932Lead(c) && pos < text.size()) {
        return c * 256u + static_cast<unsigned char>(text[pos++]);
    }
    return c;
}

// The quicksort itself, over any key: `keyAt(row)` gives a row's key (rows
// beyond the list read as the empty text), `compare` orders two keys,
// `swapRows` exchanges two rows. The second half is sorted by the loop rather
// than a recursive call; the rows are touched in the same order either way.
template <class KeyAt, class Compare, class Swap>
void QuickSort(const KeyAt& keyAt, const Compare& compare, const Swap& swapRows, int first,
               int last, bool ascending) {
    while (first < last) {
        const auto pivot = keyAt(first);
        int j = first;
        int i = last + 1;
        for (;;) {
            while (j <= last) {
                ++j;
                const int c = compare(keyAt(j), pivot);
                if (ascending ? c >= 0 : c <= 0) break;
            }
            while (i >= first) {
                --i;
                const int c = compare(keyAt(i), pivot);
                if (ascending ? c <= 0 : c >= 0) break;
            }
            // Row `first` holds the pivot itself, so the scan stops there at
            // the latest; keep it so even for rows that answer inconsistently.
            if (i < first) i = first;
            if (j >= i) break;
            swapRows(j, i);
        }
        swapRows(first, i);
        QuickSort(keyAt, compare, swapRows, first, i - 1, ascending);
        first = i + 1;
    }
}

int CompareInts(int a, int b) {
    return (a > b) - (a < b);
}

// atoi's reading (blanks, sign, digits), without its overflow.
int AtoiLike(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    long long value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = std::min<long long>(value * 10 + (text[pos++] - '0'), 1LL + INT_MAX);
    }
    if (negative) value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace

int CompareCp932(std::string_view a, std::string_view b) {
    size_t pa = 0;
    size_t pb = 0;
    while (pa < a.size() && pb < b.size()) {
        const unsigned ca = NextChar(a, pa);
        const unsigned cb = NextChar(b, pb);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (pa < a.size()) return 1;
    if (pb < b.size()) return -1;
    return 0;
}

void SortList(SortableRows& rows, int column, int first, int last, bool ascending) {
    const int count = rows.RowCount();
    first = std::max(first, 0);
    last = std::min(last, count - 1);
    const auto keyAt = [&](int row) {
        return row < count ? rows.Text(row, column) : std::string();
    };
    const auto swapRows = [&](int a, int b) {
        if (a != b) rows.SwapRows(a, b);
    };
    QuickSort(keyAt, CompareCp932, swapRows, first, last, ascending);
}

std::vector<int> SortListOrder(const std::vector<std::string>& column, bool ascending) {
    const int count = static_cast<int>(column.size());
    // Rank every text among the column's distinct texts; the empty text,
    // which is also what a row beyond the end reads, ranks 0 below all others.
    std::vector<int> byText(column.size());
    std::iota(byText.begin(), byText.end(), 0);
    std::sort(byText.begin(), byText.end(),
              [&](int a, int b) { return CompareCp932(column[a], column[b]) < 0; });
    std::vector<int> rank(column.size());
    int current = 0;
    for (size_t k = 0; k < byText.size(); ++k) {
        const std::string& text = column[byText[k]];
        if (k == 0 ? !text.empty() : CompareCp932(column[byText[k - 1]], text) != 0) ++current;
        rank[byText[k]] = current;
    }

    std::vector<int> order(column.size());
    std::iota(order.begin(), order.end(), 0);
    const auto keyAt = [&](int row) { return row < count ? rank[row] : 0; };
    const auto swapRows = [&](int a, int b) {
        std::swap(rank[a], rank[b]);
        std::swap(order[a], order[b]);
    };
    QuickSort(keyAt, CompareInts, swapRows, 0, count - 1, ascending);
    return order;
}

bool ListSortState::Click(int column) {
    direction = column == lastColumn ? -direction : +1;
    lastColumn = column;
    return direction == +1;
}

ListSortState& PhoneBookSortState() {
    static ListSortState state;
    return state;
}

std::string GroupLabel(const std::string& groupText, const GroupName* groupNames) {
    const int group = AtoiLike(groupText);
    char number[16];
    std::snprintf(number, sizeof number, "%0*d ", GROUP_DIGITS, group);
    std::string label = number;
    const GroupName* names =
        groupNames && group >= 0 && group < MAX_GROUP ? &groupNames[group] : nullptr;
    if (names && !names->first.empty()) {
        label += names->first;
    } else if (names && !names->second.empty()) {
        label += names->second;
    } else {
        label += "[not named]";
    }
    return label;
}
