#include "history/ui/CallHistoryModel.h"

#include <QFont>
#include <algorithm>
#include <tuple>

#include "history/CallTexts.h"

namespace {

// Comparison keys by column; ties fall back to the time and then the id, so
// that equal keys keep a stable, meaningful order.
bool Less(const CallRecord& a, const CallRecord& b, int column) {
    const auto byTime = [&] { return std::tie(a.started, a.id) < std::tie(b.started, b.id); };
    const auto by = [&](const auto& x, const auto& y) { return x < y || (!(y < x) && byTime()); };
    switch (column) {
        case COL_KIND:
            return by(CallKindText(a), CallKindText(b));
        case COL_NUMBER:
            return by(a.number, b.number);
        case COL_NAME:
            return by(a.name, b.name);
        case COL_DURATION:
            return by(a.secondsOnLine, b.secondsOnLine);
        // No charge sorts below every charge.
        case COL_CHARGE:
            return by(a.chargeYen.value_or(-1), b.chargeYen.value_or(-1));
        default:
            return byTime();
    }
}

}  // namespace

CCallHistoryModel::CCallHistoryModel(QObject* parent) : QAbstractTableModel(parent) {}

void CCallHistoryModel::SetRecords(std::vector<CallRecord> records) {
    beginResetModel();
    m_records = std::move(records);
    SortRecords();
    endResetModel();
}

int CCallHistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_records.size());
}

int CCallHistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : CALL_COLUMNS;
}

QVariant CCallHistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const CallRecord& record = Record(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(CallColumnText(record, index.column()));
        case Qt::FontRole:
            // Missed calls not yet seen when the dialog opened stand out.
            if (!record.seen) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::TextAlignmentRole:
            if (index.column() == COL_DURATION || index.column() == COL_CHARGE)
                return QVariant(Qt::AlignRight | Qt::AlignVCenter);
            return {};
        default:
            return {};
    }
}

QVariant CCallHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= CALL_COLUMNS)
        return {};
    return QString::fromUtf8(kCallColumnTitles[size_t(section)]);
}

void CCallHistoryModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= CALL_COLUMNS) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Selection and focus follow their records.
    const QModelIndexList before = persistentIndexList();
    std::vector<std::int64_t> idsBefore;
    for (const QModelIndex& index : before) idsBefore.push_back(Record(index.row()).id);
    m_sortColumn = column;
    m_sortOrder = order;
    SortRecords();
    QModelIndexList after;
    for (size_t i = 0; i < idsBefore.size(); ++i) {
        const auto found = std::find_if(m_records.begin(), m_records.end(),
                                        [&](const CallRecord& r) { return r.id == idsBefore[i]; });
        after.push_back(
            index(static_cast<int>(found - m_records.begin()), before[qsizetype(i)].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CCallHistoryModel::SortRecords() {
    const int column = m_sortColumn;
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    const auto before = [column, ascending](const CallRecord& a, const CallRecord& b) {
        return ascending ? Less(a, b, column) : Less(b, a, column);
    };
    // The store hands the rows over newest first already.
    if (std::is_sorted(m_records.begin(), m_records.end(), before)) return;
    std::stable_sort(m_records.begin(), m_records.end(), before);
}
