#pragma once
// The phone book list's own sort: a quicksort with the first row of the range
// as pivot, comparing code page 932 texts character by character. Equal keys
// end up in the order this algorithm leaves them, which differs from a stable
// or a library sort, so the list never uses anything else.

#include <string>
#include <string_view>
#include <vector>

#include "phonebook/PhoneBook.h"

// Rows of a list as the sort sees them.
class SortableRows {
public:
    virtual ~SortableRows() = default;
    virtual int RowCount() const = 0;
    // The text (code page 932) of a row in a column; only called for rows
    // 0..RowCount() - 1.
    virtual std::string Text(int row, int column) const = 0;
    // Exchanges the two rows with everything that belongs to them.
    virtual void SwapRows(int a, int b) = 0;
};

// Compares two code page 932 texts character by character: a single-byte
// character counts as its byte, a double-byte one (lead byte 0x81..0x9F or
// 0xE0..0xFC followed by any byte) as lead * 256 + trail; a lead byte at the
// very end counts alone. A text that begins a longer one sorts first. Case
// matters. Answers negative, zero or positive.
int CompareCp932(std::string_view a, std::string_view b);

// Sorts rows first..last of `rows` in place by `column`. A row index beyond
// the list's end reads as the empty text.
void SortList(SortableRows& rows, int column, int first, int last, bool ascending);

// The same sort over a column of texts given in their current row order,
// without moving anything: the answer is the permutation it would make,
// order[k] being the current row that ends up at row k. Each comparison is
// one of two integers, so a worst-case (already sorted) list of 5000 rows
// stays fast; the order is exactly the one SortList gives.
std::vector<int> SortListOrder(const std::vector<std::string>& column, bool ascending);

// The sort state of the phone book list, shared by every opening of the
// dialog for the whole run: the column sorted last (-1 for none) and the
// direction (+1 ascending, -1 descending).
struct ListSortState {
    int lastColumn = -1;
    int direction = +1;

    // A click on the header of `column`: the same column again reverses the
    // direction, another one sorts ascending. Answers true for ascending and
    // records the column.
    bool Click(int column);
};
ListSortState& PhoneBookSortState();

inline constexpr int GROUP_DIGITS = 3;

// The group column's text for a record whose group text is `groupText`:
// the number zero-padded to three digits and a space, then the group's first
// name, its second name when the first is empty, or "[not named]". A number
// outside 0..MAX_GROUP - 1 has no names. `groupNames` holds MAX_GROUP pairs
// or is null.
std::string GroupLabel(const std::string& groupText, const GroupName* groupNames);
