#pragma once
// Which rows can hold a column's widest text, found without formatting or
// laying out every row: the dialog measures only these and the rows on
// show, so that fitting the columns costs the same for ten calls or for a
// hundred thousand.

#include <vector>

#include "history/CallRecord.h"

// Row numbers into `rows` (at most a few dozen, no repeats): for each
// column, the rows whose text is longest by a measure that only counts
// (wide characters twice), the largest durations and charges, one row of
// each kind of call; each among the rows in bold (unseen) and the others.
std::vector<int> WidestRowCandidates(const std::vector<CallRecord>& rows, int column);
