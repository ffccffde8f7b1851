#pragma once
// The skin as the system draws it: a bitmap of the screen made from the
// core's decoded pixels, and the window's region of one rectangle per row.

#include "winapp/Win32.h"

#include <vector>

#include "handset/RegionSpans.h"

// The bitmap's pixels (any depth the reader takes, top-down or bottom-up)
// as a bitmap of the screen; null when the pixels are short or the system
// has no room for it.
HBITMAP BitmapFromBmp(const BmpImage& image);
// The union of the spans, one rectangle each; null when there is none.
HRGN RegionFromSpans(const std::vector<RowSpan>& spans);
