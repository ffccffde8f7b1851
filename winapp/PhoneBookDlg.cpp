#include "winapp/PhoneBookDlg.h"

#include <commctrl.h>

#include <array>
#include <string>
#include <vector>

#include "app/ProfileKeyTable.h"
#include "phonebook/ListSort.h"
#include "winapp/Resource.h"
#include "winapp/WinText.h"

namespace {

constexpr int kColumns = 4;
const wchar_t* const kHeaders[kColumns] = {L"名前", L"ﾅﾏｴ", L"電話番号", L"ｸﾞﾙｰﾌﾟ"};

struct PhoneBookDialog {
    const PhoneBook& book;
    ProfileStore& profile;
    // Each row's record, in the list's current order.
    std::vector<int> rows;
    int chosen = -1;
};

std::string ColumnKey(int column) {
    char key[32];
    snprintf(key, sizeof key, ProfileKeys::ListColumnKeyFormat, column);
    return key;
}

std::string CellText(const PhoneBookDialog& state, int record, int column) {
    const CMemoryDial& r = *state.book.m_records[size_t(record)];
    switch (column) {
        case 0:
            return r.m_strName;
        case 1:
            return r.m_strReading;
        case 2:
            return r.m_strNumber[0];
        default:
            return GroupLabel(r.m_strGroup, state.book.m_groupNames.data());
    }
}

// Writes every row from `state.rows`, the selection following its record.
void ShowRows(HWND list, const PhoneBookDialog& state, int selectedRecord) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (int row = 0; row < int(state.rows.size()); ++row) {
        const int record = state.rows[size_t(row)];
        for (int column = 0; column < kColumns; ++column) {
            const std::wstring text = WideFromCp932(CellText(state, record, column));
            LVITEMW item{};
            item.iItem = row;
            item.iSubItem = column;
            item.mask = LVIF_TEXT | (column == 0 ? LVIF_PARAM | LVIF_STATE : 0);
            item.pszText = const_cast<wchar_t*>(text.c_str());
            item.lParam = record;
            item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            item.state = record == selectedRecord ? LVIS_SELECTED | LVIS_FOCUSED : 0;
            SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

int SelectedRecord(HWND list) {
    const int row = int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    if (row < 0) return -1;
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return int(item.lParam);
}

void OnInit(HWND dialog, PhoneBookDialog& state) {
    HWND list = GetDlgItem(dialog, IDC_PHONEBOOK_LIST);
    for (int column = 0; column < kColumns; ++column) {
        LVCOLUMNW header{};
        header.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        header.pszText = const_cast<wchar_t*>(kHeaders[column]);
        header.cx = state.profile.ReadInt(ProfileKeys::ListColumnSection, ColumnKey(column),
                                          ProfileKeys::ListColumnDefaults[column]);
        header.iSubItem = column;
        SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(column), reinterpret_cast<LPARAM>(&header));
    }
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    // Row k shows record k; secret entries are listed like any other.
    const int count = state.book.m_nRecords;
    SendMessageW(list, LVM_SETITEMCOUNT, WPARAM(count), 0);
    for (int record = 0; record < count; ++record) {
        state.rows.push_back(record);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = record;
        item.pszText = const_cast<wchar_t*>(L"");
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    ShowRows(list, state, count > 0 ? 0 : -1);
}

void OnColumnClick(HWND list, PhoneBookDialog& state, int column) {
    const bool ascending = PhoneBookSortState().Click(column);
    std::vector<std::string> texts;
    texts.reserve(state.rows.size());
    for (int record : state.rows) texts.push_back(CellText(state, record, column));
    const std::vector<int> order = SortListOrder(texts, ascending);
    std::vector<int> sorted;
    sorted.reserve(order.size());
    for (int row : order) sorted.push_back(state.rows[size_t(row)]);
    const int selected = SelectedRecord(list);
    state.rows = std::move(sorted);
    ShowRows(list, state, selected);
}

void OnOk(HWND dialog, PhoneBookDialog& state) {
    HWND list = GetDlgItem(dialog, IDC_PHONEBOOK_LIST);
    state.chosen = SelectedRecord(list);
    for (int column = 0; column < kColumns; ++column) {
        const int width = int(SendMessageW(list, LVM_GETCOLUMNWIDTH, WPARAM(column), 0));
        state.profile.WriteInt(ProfileKeys::ListColumnSection, ColumnKey(column), width);
    }
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK PhoneBookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<PhoneBookDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            OnInit(dialog, *reinterpret_cast<PhoneBookDialog*>(lParam));
            return TRUE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom != IDC_PHONEBOOK_LIST) return FALSE;
            if (header->code == NM_DBLCLK) {
                // Anywhere in the list, on a row or not.
                OnOk(dialog, *state);
                return TRUE;
            }
            if (header->code == LVN_COLUMNCLICK) {
                const auto* click = reinterpret_cast<const NMLISTVIEW*>(lParam);
                OnColumnClick(header->hwndFrom, *state, click->iSubItem);
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                OnOk(dialog, *state);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

std::optional<ChosenEntry> RunPhoneBookDlg(HWND owner, const PhoneBook& book,
                                           ProfileStore& profile) {
    PhoneBookDialog state{book, profile, {}, -1};
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PHONEBOOK), owner,
                        PhoneBookProc, reinterpret_cast<LPARAM>(&state));
    if (result != IDOK || state.chosen < 0 || state.chosen >= book.m_nRecords) return std::nullopt;
    const CMemoryDial& record = *book.m_records[size_t(state.chosen)];
    return ChosenEntry{record.m_strName, record.m_strNumber[0]};
}
