#include "winapp/CallHistoryDlg.h"

#include <commctrl.h>

#include <ctime>
#include <string>
#include <vector>

#include "history/CallCsv.h"
#include "history/CallHistoryNotice.h"
#include "history/CallHistoryPath.h"
#include "history/CallStore.h"
#include "history/CallTexts.h"
#include "platform/Cp932.h"
#include "platform/PrivateFileWrite.h"
#include "winapp/FileDialogs.h"
#include "winapp/Resource.h"
#include "winapp/WinText.h"

namespace {

constexpr int kColumnWidths[CALL_COLUMNS] = {110, 60, 100, 100, 60, 50};

struct HistoryDialog {
    std::vector<CallRecord> rows;
    std::string problem;
    int chosen = -1;
};

void Tell(HWND owner, const std::string& text, UINT flags) {
    MessageBoxW(owner, WideFromUtf8(text).c_str(), L"Telvoxa", flags);
}

void OnInit(HWND dialog, HistoryDialog& state) {
    HWND list = GetDlgItem(dialog, IDC_HISTORY_LIST);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int column = 0; column < CALL_COLUMNS; ++column) {
        const std::wstring title = WideFromUtf8(kCallColumnTitles[size_t(column)]);
        LVCOLUMNW header{};
        header.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        header.pszText = const_cast<wchar_t*>(title.c_str());
        header.cx = kColumnWidths[column];
        header.iSubItem = column;
        SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(column), reinterpret_cast<LPARAM>(&header));
    }
    for (int row = 0; row < int(state.rows.size()); ++row) {
        const auto texts = CallColumnTexts(state.rows[size_t(row)]);
        for (int column = 0; column < CALL_COLUMNS; ++column) {
            const std::wstring text = WideFromUtf8(texts[size_t(column)]);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = row;
            item.iSubItem = column;
            item.pszText = const_cast<wchar_t*>(text.c_str());
            SendMessageW(list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMW, 0,
                         reinterpret_cast<LPARAM>(&item));
        }
    }
    if (!state.problem.empty()) Tell(dialog, state.problem, MB_OK | MB_ICONWARNING);
}

void Export(HWND dialog, const HistoryDialog& state) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    const std::string name = CallsCsvFileName((local.tm_year + 1900) * 100 + local.tm_mon + 1);
    const auto path = ChooseFileToSave(dialog, L"CSV (*.csv)\0*.csv\0", L"csv", WideFromUtf8(name));
    if (!path) return;
    const EncodedCsv csv = EncodeCsv(CallsCsv(state.rows), CsvEncoding::Utf8);
    std::string reason;
    if (!WritePrivateFile(*path, csv.bytes, reason))
        Tell(dialog, "The call history could not be written to " + *path + ": " + reason,
             MB_OK | MB_ICONSTOP);
}

INT_PTR CALLBACK HistoryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<HistoryDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    const auto choose = [&] {
        HWND list = GetDlgItem(dialog, IDC_HISTORY_LIST);
        state->chosen = int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
        EndDialog(dialog, IDOK);
    };
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            OnInit(dialog, *reinterpret_cast<HistoryDialog*>(lParam));
            return TRUE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom == IDC_HISTORY_LIST && header->code == NM_DBLCLK) {
                choose();
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    choose();
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                case IDC_HISTORY_EXPORT:
                    Export(dialog, *state);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

}  // namespace

std::optional<ChosenEntry> RunCallHistoryDlg(HWND owner) {
    HistoryDialog state;
    CallStoreOpening opening = CallStore::OpenToRead(CallHistoryPath());
    if (opening.store) {
        state.rows = opening.store->Rows(false);
        // Shown now: the missed calls are seen.
        opening.store->MarkMissedSeen();
    }
    // The list's own trouble says why it is empty; else the recorder's.
    state.problem = CallStoreTroubleText(opening, CallHistoryPath(), false);
    if (state.problem.empty()) state.problem = CallHistoryNotice::Text();
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CALLHISTORY), owner,
                    HistoryProc, reinterpret_cast<LPARAM>(&state));
    if (state.chosen < 0 || state.chosen >= int(state.rows.size())) return std::nullopt;
    const CallRecord& call = state.rows[size_t(state.chosen)];
    if (call.number.empty()) return std::nullopt;
    return ChosenEntry{Utf8ToCp932(call.name), call.number};
}
