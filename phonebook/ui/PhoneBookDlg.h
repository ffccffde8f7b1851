#pragma once
// The phone book dialog: the loaded records in a four-column list, sortable
// by any column with the list's own sort, from which one entry is chosen.
//
// Before showing it the caller sets m_pRecords, m_pGroupNames and m_nCount
// (m_nSelected starts at -1); after an accepted run m_nSelected holds the
// chosen record's index, or -1 when no row was selected.

#include <QDialog>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "phonebook/PhoneBook.h"

class QTreeWidget;
class QPushButton;

inline constexpr int PHONEBOOK_COLUMNS = 4;

class CPhoneBookDlg : public QDialog {
    Q_OBJECT

public:
    explicit CPhoneBookDlg(QWidget* parent = nullptr);
    ~CPhoneBookDlg() override;

    // Read-only view of the phone book, set by the caller.
    const std::unique_ptr<CMemoryDial>* m_pRecords = nullptr;
    const GroupName* m_pGroupNames = nullptr;  // MAX_GROUP pairs, or null
    int m_nCount = 0;
    int m_nSelected = -1;

    // The list control 1006.
    QTreeWidget* m_list = nullptr;

    // The rows as the list shows them now: texts (code page 932) and the
    // index of the record each row stands for.
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    const std::string& RowText(int row, int column) const;
    int RowRecord(int row) const;

    // Sorts rows first..last by `column` with the list's own quicksort.
    void SortList(int column, int first, int last, bool ascending);
    // Exchanges two rows: their texts, selection and focus, and the record
    // each stands for.
    void SwapRows(int a, int b);

    // The OK handling: takes the selected row's record, stores the column
    // widths, closes with OK.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ListRow {
        std::array<std::string, PHONEBOOK_COLUMNS> texts;
        int record = -1;
    };

    // Fills the list from the records; runs once, when first shown.
    void OnInitDialog();
    // Each column as wide as its widest text and its header, unless the
    // profile holds a width for it; the dialog grows to show them.
    void SizeColumns();
    int ContentWidth(int column) const;
    void OnColumnClick(int column);
    ListRow MakeRow(int record) const;
    // Puts the list's items into `order` (order[k] = current row shown at k).
    void ApplyOrder(int first, const std::vector<int>& order);

    bool m_initialised = false;
    std::vector<ListRow> m_rows;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
