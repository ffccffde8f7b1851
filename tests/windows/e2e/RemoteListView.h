#pragma once
// A list view of another process: its rows read and one selected. The list
// view's messages carry pointers, which Windows does not carry across
// processes, so the item records live in memory lent by the program itself.

#include <windows.h>

#include <string>
#include <vector>

namespace probe {

class RemoteListView {
public:
    explicit RemoteListView(HWND list);
    ~RemoteListView();
    RemoteListView(const RemoteListView&) = delete;
    RemoteListView& operator=(const RemoteListView&) = delete;

    // False when the program's memory could not be reached; Problem() says why.
    bool Ready() const { return m_remote != nullptr; }
    const std::string& Problem() const { return m_problem; }

    // Every row, its columns' texts joined with tabs.
    std::vector<std::wstring> Rows();
    // Selects and focuses row `index` and shows it.
    bool Select(int index);

private:
    std::wstring Cell(int row, int column);

    HWND m_list;
    HANDLE m_process = nullptr;
    void* m_remote = nullptr;
    std::string m_problem;
};

}  // namespace probe
