#include "winapp/FileDialogs.h"

#include <commdlg.h>

#include <vector>

#include "winapp/WinText.h"

namespace {

std::optional<std::string> Run(HWND owner, const wchar_t* filter, const wchar_t* extension,
                               const std::wstring& name, bool save) {
    // Long paths of the wide-character API fit.
    std::vector<wchar_t> path(32768, L'\0');
    name.copy(path.data(), std::min(name.size(), path.size() - 1));
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = DWORD(path.size());
    dialog.lpstrDefExt = extension;
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen) return std::nullopt;
    return Utf8FromWide(path.data());
}

}  // namespace

std::optional<std::string> ChooseFileToOpen(HWND owner, const wchar_t* filter,
                                            const wchar_t* defaultExtension) {
    return Run(owner, filter, defaultExtension, {}, false);
}

std::optional<std::string> ChooseFileToSave(HWND owner, const wchar_t* filter,
                                            const wchar_t* defaultExtension,
                                            const std::wstring& name) {
    return Run(owner, filter, defaultExtension, name, true);
}
