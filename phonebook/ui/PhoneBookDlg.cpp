#include "phonebook/ui/PhoneBookDlg.h"

#include "common/ui/ListFocusReader.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "common/ui/PhoneBookTexts.h"
#include "common/ui/Profile.h"
#include "phonebook/ListSort.h"
#include "platform/Cp932.h"

namespace {

constexpr int kRecordRole = Qt::UserRole;
constexpr int kNoStoredWidth = -1;

QString WidthKey(int column) {
    return QString::asprintf("listcolumn_w%d", column);
}

QString Show(const std::string& cp932) {
    return QString::fromStdString(Cp932ToUtf8(cp932));
}

}  // namespace

CPhoneBookDlg::CPhoneBookDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("電話帳"));

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("1006"));
    m_list->setColumnCount(PHONEBOOK_COLUMNS);
    m_list->setHeaderLabels({QStringLiteral("名前"), QStringLiteral("ﾅﾏｴ"),
                             QStringLiteral("電話番号"), QStringLiteral("ｸﾞﾙｰﾌﾟ")});
    m_list->setRootIsDecorated(false);
    m_list->setAccessibleName(windowTitle());
    ReadCurrentRowOnFocus(m_list);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFrameShape(QFrame::StyledPanel);
    // The list has its own sort; the view must never reorder rows itself.
    m_list->setSortingEnabled(false);
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setSectionsMovable(false);
    // The last column takes whatever width the others leave.
    m_list->header()->setStretchLastSection(true);
    m_list->header()->setMinimumSectionSize(0);
    // The chosen row stays visibly selected when the list loses the focus.
    QPalette palette = m_list->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText}) {
        palette.setBrush(QPalette::Inactive, role, palette.brush(QPalette::Active, role));
    }
    m_list->setPalette(palette);
    // A double-click anywhere in the list, on a row or not, is OK.
    m_list->viewport()->installEventFilter(this);
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &CPhoneBookDlg::OnColumnClick);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("1"));
    m_okButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    m_cancelButton->setObjectName(QStringLiteral("2"));
    connect(m_okButton, &QPushButton::clicked, this, &CPhoneBookDlg::accept);
    connect(m_cancelButton, &QPushButton::clicked, this, &CPhoneBookDlg::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(320, 280);
}

CPhoneBookDlg::~CPhoneBookDlg() = default;

void CPhoneBookDlg::showEvent(QShowEvent* event) {
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

CPhoneBookDlg::ListRow CPhoneBookDlg::MakeRow(int record) const {
    ListRow row;
    row.record = record;
    const CMemoryDial* dial = m_pRecords[record].get();
    if (dial) {
        row.texts = {dial->m_strName, dial->m_strReading, dial->m_strNumber[0],
                     GroupLabel(dial->m_strGroup, m_pGroupNames)};
    }
    return row;
}

void CPhoneBookDlg::OnInitDialog() {
    const int count = m_pRecords ? std::clamp(m_nCount, 0, MAX_MEMORY_DIAL) : 0;
    m_rows.clear();
    m_rows.reserve(count);
    QList<QTreeWidgetItem*> items;
    items.reserve(count);
    for (int record = 0; record < count; ++record) {
        m_rows.push_back(MakeRow(record));
        auto* item = new QTreeWidgetItem;
        for (int column = 0; column < PHONEBOOK_COLUMNS; ++column) {
            item->setText(column, Show(m_rows.back().texts[column]));
        }
        item->setData(0, kRecordRole, record);
        items.push_back(item);
    }
    m_list->clear();
    m_list->addTopLevelItems(items);
    if (!items.isEmpty()) m_list->setCurrentItem(items.front());
    if (items.isEmpty()) {
        // Nothing to choose: the one line says how the list is filled. It
        // holds no record and cannot be selected.
        auto* hint = new QTreeWidgetItem;
        hint->setText(0, EmptyPhoneBookText());
        hint->setFlags(Qt::ItemIsEnabled);
        m_list->addTopLevelItem(hint);
        hint->setFirstColumnSpanned(true);
        // Wrapped across the list's width rather than cut.
        m_list->setUniformRowHeights(false);
        m_list->setWordWrap(true);
        const int width = std::max(m_list->viewport()->width(), 200);
        const QRect wrapped =
            QFontMetrics(m_list->font())
                .boundingRect(QRect(0, 0, width - 8, 10000), Qt::TextWordWrap, hint->text(0));
        hint->setSizeHint(0, QSize(width, wrapped.height() + 6));
    }
    SizeColumns();
}

int CPhoneBookDlg::ContentWidth(int column) const {
    // Every row counts, not only those on screen: a long name further down
    // must not be cut either.
    const QFontMetrics metrics(m_list->font());
    int widest = 0;
    for (int row = 0; row < static_cast<int>(m_rows.size()); ++row) {
        widest =
            std::max(widest, metrics.horizontalAdvance(m_list->topLevelItem(row)->text(column)));
    }
    // The item's text keeps a margin on each side, as the style draws it.
    const int margin =
        m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list) + 1;
    return std::max(widest + 2 * margin + 1, m_list->header()->sectionSizeHint(column));
}

void CPhoneBookDlg::SizeColumns() {
    // A width the user has set (and OK stored) stays; the others fit their texts.
    int total = 0;
    for (int column = 0; column < PHONEBOOK_COLUMNS; ++column) {
        const int stored = Profile::GetProfileInt("dialog", WidthKey(column), kNoStoredWidth);
        const int width = stored >= 0 ? stored : ContentWidth(column);
        m_list->header()->resizeSection(column, width);
        total += width;
    }
    // Widen the dialog so that every column shows, as far as the screen allows.
    const QMargins margins = layout()->contentsMargins();
    const int chrome = margins.left() + margins.right() + 2 * m_list->frameWidth() +
                       m_list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_list);
    int wanted = total + chrome;
    if (const QScreen* screen = this->screen()) {
        wanted = std::min(wanted, screen->availableGeometry().width() * 9 / 10);
    }
    if (wanted > width()) resize(wanted, height());
}

const std::string& CPhoneBookDlg::RowText(int row, int column) const {
    return m_rows.at(row).texts.at(column);
}

int CPhoneBookDlg::RowRecord(int row) const {
    return m_rows.at(row).record;
}

void CPhoneBookDlg::OnColumnClick(int column) {
    if (column < 0 || column >= PHONEBOOK_COLUMNS) return;
    const bool ascending = PhoneBookSortState().Click(column);
    SortList(column, 0, RowCount() - 1, ascending);
}

void CPhoneBookDlg::SortList(int column, int first, int last, bool ascending) {
    first = std::max(first, 0);
    last = std::min(last, RowCount() - 1);
    if (first >= last || column < 0 || column >= PHONEBOOK_COLUMNS) return;
    // Sorting the row texts and moving the list's items once gives the same
    // order as swapping the list's rows one pair at a time, without touching
    // the widget for each of the (on sorted input quadratically many) steps.
    std::vector<std::string> texts;
    texts.reserve(last - first + 1);
    for (int row = first; row <= last; ++row) texts.push_back(m_rows[row].texts[column]);
    ApplyOrder(first, SortListOrder(texts, ascending));
}

void CPhoneBookDlg::ApplyOrder(int first, const std::vector<int>& order) {
    bool moved = false;
    for (size_t k = 0; k < order.size() && !moved; ++k) moved = order[k] != static_cast<int>(k);
    if (!moved) return;

    // Selection and focus travel with their rows.
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    QTreeWidgetItem* const current = m_list->currentItem();
    const int scroll = m_list->verticalScrollBar()->value();

    QList<QTreeWidgetItem*> items = m_list->invisibleRootItem()->takeChildren();
    QList<QTreeWidgetItem*> sortedItems = items;
    std::vector<ListRow> sortedRows(m_rows.begin() + first, m_rows.begin() + first + order.size());
    for (size_t k = 0; k < order.size(); ++k) {
        sortedItems[first + k] = items[first + order[k]];
        sortedRows[k] = m_rows[first + order[k]];
    }
    std::move(sortedRows.begin(), sortedRows.end(), m_rows.begin() + first);
    m_list->addTopLevelItems(sortedItems);

    if (current) m_list->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    for (auto* item : selected) item->setSelected(true);
    m_list->verticalScrollBar()->setValue(scroll);
}

void CPhoneBookDlg::SwapRows(int a, int b) {
    if (a == b || a < 0 || b < 0 || a >= RowCount() || b >= RowCount()) return;
    std::swap(m_rows[a], m_rows[b]);
    QTreeWidgetItem* itemA = m_list->topLevelItem(a);
    QTreeWidgetItem* itemB = m_list->topLevelItem(b);
    for (int column = 0; column < PHONEBOOK_COLUMNS; ++column) {
        const QString text = itemA->text(column);
        itemA->setText(column, itemB->text(column));
        itemB->setText(column, text);
    }
    const QVariant record = itemA->data(0, kRecordRole);
    itemA->setData(0, kRecordRole, itemB->data(0, kRecordRole));
    itemB->setData(0, kRecordRole, record);

    const bool selectedA = itemA->isSelected();
    const bool selectedB = itemB->isSelected();
    itemA->setSelected(false);
    itemB->setSelected(false);
    itemA->setSelected(selectedB);
    itemB->setSelected(selectedA);
    QTreeWidgetItem* const current = m_list->currentItem();
    if (current == itemA || current == itemB) {
        m_list->setCurrentItem(current == itemA ? itemB : itemA, 0, QItemSelectionModel::NoUpdate);
    }
}

void CPhoneBookDlg::accept() {
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (!selected.isEmpty()) m_nSelected = selected.front()->data(0, kRecordRole).toInt();
    for (int column = 0; column < PHONEBOOK_COLUMNS; ++column) {
        Profile::WriteProfileInt("dialog", WidthKey(column), m_list->header()->sectionSize(column));
    }
    QDialog::accept();
}

bool CPhoneBookDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
