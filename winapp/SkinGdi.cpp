#include "winapp/SkinGdi.h"

// The bitmap's pixels as a device-dependent bitmap of the screen, from the
// core's decoding (any depth the reader takes, top-down or bottom-up). Null
// when the pixels are short or the system has no room for it.
HBITMAP BitmapFromBmp(const BmpImage& image) {
    const std::vector<uint32_t> pixels = DecodeBmpPixels(image);
    if (pixels.empty()) return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = image.Width();
    info.bmiHeader.biHeight = -image.Height();  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap =
        CreateDIBitmap(screen, &info.bmiHeader, CBM_INIT, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// One rectangle per bitmap row; null when no pixel is opaque.
HRGN RegionFromSpans(const std::vector<RowSpan>& spans) {
    HRGN region = nullptr;
    for (const RowSpan& span : spans) {
        HRGN row = CreateRectRgn(span.left, span.y, span.right, span.y + 1);
        if (!region) {
            region = row;
            continue;
        }
        CombineRgn(region, region, row, RGN_OR);
        DeleteObject(row);
    }
    return region;
}
