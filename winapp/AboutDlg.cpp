#include "winapp/AboutDlg.h"

#include "winapp/Resource.h"
#include "winapp/WinText.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextW(
                dialog, IDC_VERSION,
                VersionText(LoadResourceString(IDS_PRODUCT), LoadResourceString(IDS_VERSION))
                    .c_str());
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

std::wstring VersionText(const std::wstring& product, const std::wstring& version) {
    return product + L" Ver." + version;
}

void RunAboutDlg(HWND owner) {
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, AboutProc, 0);
}
