// The handset window's skin: bitmap, shape, painting, text areas, pictures.

#include <algorithm>
#include <vector>

#include "handset/RegionSpans.h"
#include "winapp/HandsetWnd.h"
#include "winapp/SkinGdi.h"
#include "winapp/WinApp.h"
#include "winapp/WinText.h"

namespace {

int Width(const SkinRect& r) {
    return int(std::clamp<int64_t>(int64_t{r.right} - r.left, 0, INT32_MAX));
}
int Height(const SkinRect& r) {
    return int(std::clamp<int64_t>(int64_t{r.bottom} - r.top, 0, INT32_MAX));
}

}  // namespace

bool CHandsetWnd::LoadSkin(std::string& problem) {
    const SkinDefinition skin = ReadSkinDefinition(m_app);
    m_app.m_strBitmapFile = m_app.SkinRelativePath(skin.bitmapFile);
    const BmpReadResult bmp = ReadSkinBmp(m_app.m_strBitmapFile);
    const auto refuse = [&](const std::string& why) {
        problem = m_app.m_strBitmapFile + ": " + why;
        return false;
    };
    if (!bmp.openFailure.empty()) return refuse(bmp.openFailure);
    if (!bmp.ok()) return refuse(DescribeBmpError(bmp.error));
    if (bmp.image.Width() < BMP_MIN_SKIN_SIDE || bmp.image.Height() < BMP_MIN_SKIN_SIDE)
        return refuse(DescribeBmpError(BmpError::BadDimensions));
    m_bihSkin = bmp.image.header;
    m_bmpSkin = BitmapFromBmp(bmp.image);
    if (!m_bmpSkin) return refuse("too large for the memory left");

    // The window is the bitmap's size, its top-left corner where it is.
    SetWindowPos(m_hWnd, nullptr, 0, 0, bmp.image.Width(), bmp.image.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Its shape: the system owns the region once it is set. A skin without
    // any opaque pixel keeps the whole rectangle rather than vanishing.
    if (HRGN region = RegionFromSpans(BuildRegionSpans(bmp.image, skin.transparent)))
        SetWindowRgn(m_hWnd, region, TRUE);

    m_rcDisplay[0] = skin.Display1();
    m_rcDisplay[1] = skin.Display2();
    m_rcDisplay[2] = skin.Display3();
    m_rcDisplay[3] = skin.Antenna();
    m_rcPicture = skin.Picture();
    PlaceTextControls();
    for (int i = 0; i < SKIN_BUTTON_COUNT; ++i) m_rcButton[i] = skin.Button(i);
    CreateDisplayFont(skin.fontSize);
    return true;
}

void CHandsetWnd::PlaceTextControls() {
    for (int i = 0; i < 4; ++i) {
        const SkinRect& r = m_rcDisplay[i];
        MoveWindow(m_hText[i], r.left, r.top, Width(r), Height(r), TRUE);
    }
}

void CHandsetWnd::CreateDisplayFont(int points) {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    LOGFONTW font{};
    font.lfHeight = height;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    wcscpy_s(font.lfFaceName, L"ＭＳ ゴシック");
    if (m_fontDisplay) DeleteObject(m_fontDisplay);
    m_fontDisplay = CreateFontIndirectW(&font);
    for (HWND text : m_hText) SendMessageW(text, WM_SETFONT, WPARAM(m_fontDisplay), TRUE);
}

void CHandsetWnd::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    if (IsIconic(m_hWnd)) {
        RECT client;
        GetClientRect(m_hWnd, &client);
        const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, m_hIcon);
    } else if (m_bmpSkin) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, m_bmpSkin);
        BitBlt(dc, 0, 0, m_bihSkin.biWidth, std::abs(m_bihSkin.biHeight), memory, 0, 0, SRCCOPY);
        if (m_bmpPicture) {
            // From the picture's top-left corner, cut to the picture area.
            SelectObject(memory, m_bmpPicture);
            const int width = std::min<int>(Width(m_rcPicture), m_sizePicture.cx);
            const int height = std::min<int>(Height(m_rcPicture), m_sizePicture.cy);
            BitBlt(dc, m_rcPicture.left, m_rcPicture.top, width, height, memory, 0, 0, SRCCOPY);
        }
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    EndPaint(m_hWnd, &paint);
    // The text areas draw their text onto the skin after it, never under it.
    for (HWND text : m_hText) RedrawWindow(text, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CHandsetWnd::SetPicture(int which) {
    const int shown = (which == 1 || which == 2) ? which : 0;
    if (shown == m_nPictureShown) return;
    m_nPictureShown = shown;
    if (m_bmpPicture) DeleteObject(m_bmpPicture);
    m_bmpPicture = nullptr;
    m_app.m_strPictureFile.clear();
    if (shown == 0) return;
    const std::string value = m_app.GetSkinString(shown == 1 ? "PICTURE1" : "PICTURE2");
    if (value.empty()) return;
    m_app.m_strPictureFile = m_app.SkinRelativePath(value);
    // A picture that cannot be read shows nothing, without a message.
    const BmpReadResult bmp = ReadPictureBmp(m_app.m_strPictureFile);
    if (!bmp.ok()) return;
    m_bmpPicture = BitmapFromBmp(bmp.image);
    m_sizePicture = {bmp.image.Width(), bmp.image.Height()};
}

void CHandsetWnd::ApplySnapshot(const HandsetSnapshot& snapshot) {
    const std::string* texts[4] = {&snapshot.display1, &snapshot.display2, &snapshot.display3,
                                   &snapshot.antenna};
    const std::string* shown[4] = {&m_shown.display1, &m_shown.display2, &m_shown.display3,
                                   &m_shown.antenna};
    bool changed = snapshot.picture != m_nPictureShown;
    for (int i = 0; i < 4; ++i) {
        if (*texts[i] == *shown[i]) continue;
        SetWindowTextW(m_hText[i], WideFromCp932(*texts[i]).c_str());
        changed = true;
    }
    SetPicture(snapshot.picture);
    m_shown = snapshot;
    // The skin is painted again under the transparent text areas.
    if (changed || snapshot.repaint)
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}
