#pragma once
// A list that tells assistive technology its current row whenever it takes
// the focus (on opening its dialog too), not only when the row changes.

class QAbstractItemView;

void ReadCurrentRowOnFocus(QAbstractItemView* list);
