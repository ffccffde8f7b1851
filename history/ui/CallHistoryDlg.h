#pragma once
// The call history dialog: every call newest first in six sortable columns,
// a filter for missed calls, the chosen month's number of calls and total
// charge under the list, a line on any trouble with the history, CSV export
// of the rows shown. OK or a double-click
// hands back the chosen call. Showing it marks the missed calls seen.

#include <QDialog>
#include <ctime>
#include <optional>

#include "history/CallRecord.h"

class CallStore;
class CCallHistoryModel;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeView;

// Dialog template and control ids (object names).
inline constexpr int IDD_CALL_HISTORY = 160;
inline constexpr int IDC_HISTORY_LIST = 1100;
inline constexpr int IDC_HISTORY_MISSED_ONLY = 1101;
inline constexpr int IDC_HISTORY_MONTH = 1102;
inline constexpr int IDC_HISTORY_TOTAL = 1103;
inline constexpr int IDC_HISTORY_CSV = 1104;
inline constexpr int IDC_HISTORY_TROUBLE = 1105;

class CCallHistoryDlg : public QDialog {
    Q_OBJECT

public:
    // `store` may be null (no history yet): the list is empty. `now` picks
    // the month shown first.
    explicit CCallHistoryDlg(CallStore* store, QWidget* parent = nullptr,
                             std::time_t now = std::time(nullptr));
    ~CCallHistoryDlg() override;

    // The call chosen with OK or a double-click; none when no row was selected.
    const std::optional<CallRecord>& Chosen() const { return m_chosen; }

    CCallHistoryModel* Model() const { return m_model; }
    // One line under the list on why the history is empty or not recorded;
    // empty hides it.
    void SetTroubleText(const QString& text);
    QString TroubleText() const;

    // The rows shown, in the order shown, as the CSV file holds them
    // (header first, UTF-8 without its byte-order mark, CR LF).
    std::string ShownRowsCsv() const;
    // The month selector's months, newest first, as year * 100 + month.
    QList<int> Months() const;

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadRows();
    void FillMonths(std::time_t now);
    void ShowMonthTotal();
    void ExportCsv();
    void FitColumns();
    // The widest text a cell of `column` needs, bold rows too.
    int WidestCell(int column) const;

    CallStore* m_store;
    CCallHistoryModel* m_model = nullptr;
    QTreeView* m_list = nullptr;
    QCheckBox* m_missedOnly = nullptr;
    QComboBox* m_month = nullptr;
    QLabel* m_total = nullptr;
    QLabel* m_trouble = nullptr;
    QPushButton* m_csvButton = nullptr;
    std::optional<CallRecord> m_chosen;
    bool m_markedSeen = false;
    bool m_fitted = false;
};
