#pragma once
// The history list's rows: the store's records in the order the user sorted
// them, texts made only for the rows the view asks for.

#include <QAbstractTableModel>
#include <vector>

#include "history/CallRecord.h"

class CCallHistoryModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit CCallHistoryModel(QObject* parent = nullptr);

    // New rows, kept in the current sort order (newest first to begin with).
    void SetRecords(std::vector<CallRecord> records);
    const CallRecord& Record(int row) const { return m_records.at(static_cast<size_t>(row)); }
    // The records in the order shown.
    const std::vector<CallRecord>& Records() const { return m_records; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    void SortRecords();

    std::vector<CallRecord> m_records;
    int m_sortColumn = 0;
    Qt::SortOrder m_sortOrder = Qt::DescendingOrder;
};
