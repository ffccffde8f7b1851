#include "history/ui/CallHistoryDlg.h"

#include "common/ui/AddedTexts.h"
#include "common/ui/ListFocusReader.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "common/ui/AddedTexts.h"
#include "common/ui/UiSeams.h"
#include "history/CallCsv.h"
#include "history/CallStore.h"
#include "history/CallTexts.h"
#include "history/ui/CallHistoryModel.h"
#include "history/ui/WidestRows.h"
#include "platform/PrivateFileWrite.h"

namespace {

int MonthKey(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    return (local.tm_year + 1900) * 100 + local.tm_mon + 1;
}

std::time_t MonthStart(int key) {
    std::tm tm{};
    tm.tm_year = key / 100 - 1900;
    tm.tm_mon = key % 100 - 1;
    tm.tm_mday = 1;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

}  // namespace

CCallHistoryDlg::CCallHistoryDlg(CallStore* store, QWidget* parent, std::time_t now)
    : QDialog(parent), m_store(store) {
    setObjectName(QString::number(IDD_CALL_HISTORY));
    setWindowTitle(QStringLiteral("通話履歴"));

    m_model = new CCallHistoryModel(this);
    m_list = new QTreeView(this);
    m_list->setObjectName(QString::number(IDC_HISTORY_LIST));
    m_list->setModel(m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->header()->setSortIndicator(COL_TIME, Qt::DescendingOrder);
    m_list->setSortingEnabled(true);
    m_list->setAccessibleName(windowTitle());
    ReadCurrentRowOnFocus(m_list);
    connect(m_list, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        m_list->setCurrentIndex(index);
        accept();
    });

    m_missedOnly = new QCheckBox(QStringLiteral("不在着信のみ(&M)"), this);
    m_missedOnly->setObjectName(QString::number(IDC_HISTORY_MISSED_ONLY));
    connect(m_missedOnly, &QCheckBox::toggled, this, &CCallHistoryDlg::LoadRows);

    m_month = new QComboBox(this);
    m_month->setObjectName(QString::number(IDC_HISTORY_MONTH));
    m_total = new QLabel(this);
    m_total->setObjectName(QString::number(IDC_HISTORY_TOTAL));
    m_trouble = new QLabel(this);
    m_trouble->setObjectName(QString::number(IDC_HISTORY_TROUBLE));
    m_trouble->setWordWrap(true);
    m_trouble->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_trouble->hide();

    m_csvButton = new QPushButton(QStringLiteral("CSV出力"), this);
    m_csvButton->setObjectName(QString::number(IDC_HISTORY_CSV));
    connect(m_csvButton, &QPushButton::clicked, this, &CCallHistoryDlg::ExportCsv);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName(QStringLiteral("2"));
    connect(ok, &QPushButton::clicked, this, &CCallHistoryDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CCallHistoryDlg::reject);

    auto* monthRow = new QHBoxLayout;
    // A caption for the month, which readers take as its name; its total is
    // its description.
    auto* monthCaption = new QLabel(AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Month")), this);
    monthCaption->setBuddy(m_month);
    monthRow->addWidget(monthCaption);
    monthRow->addWidget(m_month);
    monthRow->addWidget(m_total, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_missedOnly);
    buttons->addWidget(m_csvButton);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_trouble);
    layout->addLayout(monthRow);
    layout->addLayout(buttons);
    resize(560, 400);

    LoadRows();
    FillMonths(now);
    connect(m_month, &QComboBox::currentIndexChanged, this, &CCallHistoryDlg::ShowMonthTotal);
    ShowMonthTotal();
}

CCallHistoryDlg::~CCallHistoryDlg() = default;

void CCallHistoryDlg::LoadRows() {
    m_model->SetRecords(m_store ? m_store->Rows(m_missedOnly->isChecked())
                                : std::vector<CallRecord>{});
    if (m_model->rowCount() > 0) m_list->setCurrentIndex(m_model->index(0, 0));
}

void CCallHistoryDlg::FillMonths(std::time_t now) {
    // The months that have calls, with one local-time conversion per month
    // down the time-ordered rows, and the current month even without calls.
    QList<int> months{MonthKey(now)};
    for (int row = 0; row < m_model->rowCount();) {
        const int key = MonthKey(m_model->Record(row).started);
        months.push_back(key);
        const std::time_t start = MonthStart(key);
        int next = row + 1;
        while (next < m_model->rowCount() && m_model->Record(next).started >= start) ++next;
        row = next;
    }
    std::sort(months.begin(), months.end(), std::greater<int>());
    months.erase(std::unique(months.begin(), months.end()), months.end());
    for (const int key : months)
        m_month->addItem(QString::asprintf("%04d年%02d月", key / 100, key % 100), key);
    m_month->setCurrentIndex(int(months.indexOf(MonthKey(now))));
}

QList<int> CCallHistoryDlg::Months() const {
    QList<int> months;
    for (int i = 0; i < m_month->count(); ++i) months.push_back(m_month->itemData(i).toInt());
    return months;
}

void CCallHistoryDlg::ShowMonthTotal() {
    const int key = m_month->currentData().toInt();
    const MonthSummary summary = m_store ? m_store->Month(key / 100, key % 100) : MonthSummary{};
    m_total->setText(QStringLiteral("通話 %1件　料金合計 ¥%2")
                         .arg(summary.calls)
                         .arg(static_cast<qlonglong>(summary.chargeYen)));
    m_month->setAccessibleDescription(m_total->text());
}

void CCallHistoryDlg::SetTroubleText(const QString& text) {
    m_trouble->setText(text);
    m_trouble->setVisible(!text.isEmpty());
}

QString CCallHistoryDlg::TroubleText() const {
    return m_trouble->text();
}

std::string CCallHistoryDlg::ShownRowsCsv() const {
    std::vector<CallRecord> rows;
    rows.reserve(size_t(m_model->rowCount()));
    for (int row = 0; row < m_model->rowCount(); ++row) rows.push_back(m_model->Record(row));
    return CallsCsv(rows);
}

void CCallHistoryDlg::ExportCsv() {
    // The file types offered, in the order of CsvEncoding.
    const QStringList types = {QStringLiteral("CSV (UTF-8) (*.csv)"),
                               QStringLiteral("CSV (Shift_JIS) (*.csv)")};
    int chosen = 0;
    const auto path = UiSeams::Files().GetSaveFileNameAs(
        this, QStringLiteral("csv"), types,
        QString::fromStdString(CallsCsvFileName(m_month->currentData().toInt())), chosen);
    if (!path) return;
    const EncodedCsv csv =
        EncodeCsv(ShownRowsCsv(), chosen == 1 ? CsvEncoding::ShiftJis : CsvEncoding::Utf8);
    // The calls are as private as the history; a link or a file another
    // user put where the user saves is never written through.
    std::string reason;
    if (!WritePrivateFile(QFile::encodeName(*path).toStdString(), csv.bytes, reason)) {
        UiSeams::Messages().Show(this,
                                 QStringLiteral("CSV File Write Error !!\n%1: %2")
                                     .arg(*path, QString::fromStdString(reason)),
                                 MessageIcon::Stop);
        return;
    }
    if (csv.replaced > 0) {
        UiSeams::Messages().Show(
            this,
            AddedText(QT_TRANSLATE_NOOP("Telvoxa",
                                        "Characters that Shift_JIS cannot hold were written as "
                                        "\"?\": %1."))
                .arg(csv.replaced),
            MessageIcon::Information);
    }
}

int CCallHistoryDlg::WidestCell(int column) const {
    // The rows on show and those that can hold the widest text: the same
    // widths as measuring every row, at the cost of a few dozen.
    std::vector<int> rows = WidestRowCandidates(m_model->Records(), column);
    const int first = std::max(0, m_list->indexAt(QPoint(0, 0)).row());
    const int shown = m_list->viewport()->height() / std::max(1, m_list->sizeHintForRow(first)) + 1;
    for (int row = first; row < std::min(m_model->rowCount(), first + shown); ++row)
        rows.push_back(row);
    int widest = 0;
    QStyleOptionViewItem option;
    option.initFrom(m_list);
    for (const int row : rows) {
        const QModelIndex index = m_model->index(row, column);
        QStyleOptionViewItem cell = option;
        if (const QVariant font = index.data(Qt::FontRole); font.isValid())
            cell.font = font.value<QFont>();
        widest = std::max(widest, m_list->itemDelegate()->sizeHint(cell, index).width());
    }
    return widest;
}

void CCallHistoryDlg::FitColumns() {
    // Each column as wide as its header and its widest text (bold rows too);
    // the last one takes what is left. The dialog grows, within the screen,
    // rather than hide a column behind a scroll bar.
    QHeaderView* header = m_list->header();
    header->setStretchLastSection(true);
    int needed = 0;
    for (int column = 0; column < CALL_COLUMNS; ++column) {
        header->resizeSection(column,
                              std::max(header->sectionSizeHint(column), WidestCell(column)));
        needed += header->sectionSize(column);
    }
    const int spare =
        m_list->viewport()->width() - needed - m_list->verticalScrollBar()->sizeHint().width();
    if (spare >= 0) return;
    const QScreen* screen = this->screen();
    const int most = screen ? screen->availableGeometry().width() : width() - spare;
    resize(std::min(width() - spare, most), height());
}

void CCallHistoryDlg::accept() {
    const QModelIndex current = m_list->currentIndex();
    if (current.isValid() && m_list->selectionModel()->isRowSelected(current.row(), {}))
        m_chosen = m_model->Record(current.row());
    QDialog::accept();
}

void CCallHistoryDlg::showEvent(QShowEvent* event) {
    // Shown once is seen: the tray stops counting these calls. The rows keep
    // their mark for this showing.
    if (!m_markedSeen && m_store) m_markedSeen = m_store->MarkMissedSeen();
    QDialog::showEvent(event);
    if (!m_fitted) {
        m_fitted = true;
        FitColumns();
    }
}
