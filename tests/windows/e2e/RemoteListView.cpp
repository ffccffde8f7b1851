#include "RemoteListView.h"

#include <commctrl.h>

#include "ProbeWindows.h"

namespace probe {
namespace {

constexpr UINT kAnswerLimitMs = 5000;
constexpr int kCellChars = 512;  // longer cells are cut: the checks look for short texts
constexpr SIZE_T kRemoteBytes = sizeof(LVITEMW) + kCellChars * sizeof(wchar_t);

LRESULT Ask(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kAnswerLimitMs,
                             &result))
        return -1;
    return static_cast<LRESULT>(result);
}

}  // namespace

RemoteListView::RemoteListView(HWND list) : m_list(list) {
    m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                            ProcessOf(list));
    if (m_process == nullptr) {
        m_problem =
            "cannot open the program's process (error " + std::to_string(GetLastError()) + ")";
        return;
    }
    m_remote = VirtualAllocEx(m_process, nullptr, kRemoteBytes, MEM_COMMIT, PAGE_READWRITE);
    if (m_remote == nullptr)
        m_problem =
            "no memory in the program's process (error " + std::to_string(GetLastError()) + ")";
}

RemoteListView::~RemoteListView() {
    if (m_remote != nullptr) VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE);
    if (m_process != nullptr) CloseHandle(m_process);
}

std::wstring RemoteListView::Cell(int row, int column) {
    auto* remoteText = static_cast<char*>(m_remote) + sizeof(LVITEMW);
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(remoteText);
    item.cchTextMax = kCellChars;
    if (!WriteProcessMemory(m_process, m_remote, &item, sizeof item, nullptr)) return {};
    LRESULT length = Ask(m_list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(m_remote));
    if (length <= 0) return {};
    if (length >= kCellChars) length = kCellChars - 1;
    std::wstring text(static_cast<size_t>(length), L'\0');
    ReadProcessMemory(m_process, remoteText, text.data(), length * sizeof(wchar_t), nullptr);
    return text;
}

std::vector<std::wstring> RemoteListView::Rows() {
    std::vector<std::wstring> rows;
    if (!Ready()) return rows;
    LRESULT count = Ask(m_list, LVM_GETITEMCOUNT, 0, 0);
    HWND header = reinterpret_cast<HWND>(Ask(m_list, LVM_GETHEADER, 0, 0));
    LRESULT columns = header != nullptr ? Ask(header, HDM_GETITEMCOUNT, 0, 0) : 1;
    if (columns < 1) columns = 1;
    for (int row = 0; row < count; ++row) {
        std::wstring line;
        for (int column = 0; column < columns; ++column) {
            if (column > 0) line += L'\t';
            line += Cell(row, column);
        }
        rows.push_back(line);
    }
    return rows;
}

bool RemoteListView::Select(int index) {
    if (!Ready()) return false;
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (!WriteProcessMemory(m_process, m_remote, &item, sizeof item, nullptr)) return false;
    if (Ask(m_list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(m_remote)) != TRUE)
        return false;
    Ask(m_list, LVM_ENSUREVISIBLE, index, FALSE);
    return true;
}

}  // namespace probe
