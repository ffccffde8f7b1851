// The phone book dialog: its list, the list's own sort shared by every
// opening, the choice of a record and the column widths in the profile.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/ui/Profile.h"
#include "phonebook/ListSort.h"
#include "phonebook/ui/PhoneBookDlg.h"
#include "platform/Cp932.h"
#include "support/SampleBooks.h"

namespace {

struct Entry {
    std::string name, reading, number, group;
};

struct Book {
    PhoneBook book;

    explicit Book(const std::vector<Entry>& entries) {
        for (const auto& e : entries) {
            auto record = std::make_unique<CMemoryDial>();
            record->m_strName = e.name;
            record->m_strReading = e.reading;
            record->m_strNumber[0] = e.number;
            record->m_strGroup = e.group;
            book.m_records[book.m_nRecords++] = std::move(record);
        }
    }
};

class PhoneBookDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        Profile::SetRegistryKey("Orvel Applications");
        const int defaults[] = {80, 80, 40, 60};
        for (int c = 0; c < 4; ++c) Profile::WriteProfileInt("dialog", Key(c), defaults[c]);
        PhoneBookSortState() = ListSortState{};
    }

    static QString Key(int column) { return QString("listcolumn_w%1").arg(column); }

    std::unique_ptr<CPhoneBookDlg> Open(const Book& book) {
        auto dlg = std::make_unique<CPhoneBookDlg>();
        dlg->m_pRecords = book.book.m_records.data();
        dlg->m_pGroupNames = book.book.m_groupNames.data();
        dlg->m_nCount = book.book.m_nRecords;
        dlg->m_nSelected = -1;
        dlg->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
        return dlg;
    }

    static QTreeWidget* List(CPhoneBookDlg& dlg) { return dlg.findChild<QTreeWidget*>("1006"); }

    static void ClickHeader(CPhoneBookDlg& dlg, int column) {
        QHeaderView* header = List(dlg)->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    // The record each row of the list stands for, read from the widget.
    static std::vector<int> RowRecords(CPhoneBookDlg& dlg) {
        std::vector<int> out;
        QTreeWidget* list = List(dlg);
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            out.push_back(list->topLevelItem(row)->data(0, Qt::UserRole).toInt());
        }
        return out;
    }

    static QStringList ColumnTexts(CPhoneBookDlg& dlg, int column) {
        QStringList out;
        QTreeWidget* list = List(dlg);
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            out << list->topLevelItem(row)->text(column);
        }
        return out;
    }

    // Every row shows the texts of the record it stands for, in the widget
    // and in the dialog's own row texts.
    static void ExpectRowsTiedToRecords(CPhoneBookDlg& dlg, const Book& book) {
        QTreeWidget* list = List(dlg);
        ASSERT_EQ(list->topLevelItemCount(), dlg.RowCount());
        for (int row = 0; row < dlg.RowCount(); ++row) {
            const int record = list->topLevelItem(row)->data(0, Qt::UserRole).toInt();
            ASSERT_EQ(record, dlg.RowRecord(row));
            const CMemoryDial& dial = *book.book.m_records[record];
            EXPECT_EQ(dlg.RowText(row, 0), dial.m_strName);
            EXPECT_EQ(list->topLevelItem(row)->text(0).toStdString(), Cp932ToUtf8(dial.m_strName));
            EXPECT_EQ(list->topLevelItem(row)->text(2).toStdString(),
                      Cp932ToUtf8(dial.m_strNumber[0]));
        }
    }

    // The order the list's sort gives for a column of the book in file order.
    static std::vector<int> ExpectedOrder(const Book& book, int column, bool ascending) {
        std::vector<std::string> texts;
        for (int k = 0; k < book.book.m_nRecords; ++k) {
            const CMemoryDial& d = *book.book.m_records[k];
            const std::string byColumn[] = {
                d.m_strName, d.m_strReading, d.m_strNumber[0],
                GroupLabel(d.m_strGroup, book.book.m_groupNames.data())};
            texts.push_back(byColumn[column]);
        }
        return SortListOrder(texts, ascending);
    }
};

Book SampleBook() {
    Book b({
        {"Suzuki", "\xBD\xBD\xDE\xB7", "0312345678", "5"},  // ｽｽﾞｷ
        {"Abe", "\xB1\xCD\xDE", "09011112222", "0"},
        {"\x88\xC9\x93\xA1", "\xB2\xC4\xB3", "0451112222", "12"},  // 伊藤
        {"abe", "\xB1\xCD\xDE", "0120", "x7"},                     // group text not a number
        {"Abe", "\xB1\xCD\xDE", "0", "7"},
    });
    b.book.m_groupNames[5] = {"", "\xC4\xD3\xC0\xDE\xC1"};  // ﾄﾓﾀﾞﾁ
    b.book.m_groupNames[7] = {"Work", "Other"};
    return b;
}

TEST_F(PhoneBookDialogTest, ListsTheBookInFileOrderWithFourColumns) {
    Book book = SampleBook();
    auto dlg = Open(book);
    EXPECT_EQ(dlg->windowTitle(), QString("電話帳"));
    QTreeWidget* list = List(*dlg);
    ASSERT_NE(list, nullptr);
    const QStringList headers = {"名前", "ﾅﾏｴ", "電話番号", "ｸﾞﾙｰﾌﾟ"};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(list->headerItem()->text(c), headers[c]);
    // Stored widths; the last column fills what the others leave.
    const int widths[] = {80, 80, 40};
    for (int c = 0; c < 3; ++c) EXPECT_EQ(list->header()->sectionSize(c), widths[c]);
    EXPECT_GE(list->header()->sectionSize(3), 60);
    EXPECT_EQ(list->header()->length(), list->viewport()->width());
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_FALSE(list->isSortingEnabled());
    // The selection stays visible when the list has no focus.
    EXPECT_EQ(list->palette().color(QPalette::Inactive, QPalette::Highlight),
              list->palette().color(QPalette::Active, QPalette::Highlight));
    ASSERT_NE(dlg->findChild<QPushButton*>("1"), nullptr);
    EXPECT_EQ(dlg->findChild<QPushButton*>("1")->text(), QString("OK"));
    EXPECT_EQ(dlg->findChild<QPushButton*>("2")->text(), QString("ｷｬﾝｾﾙ"));

    EXPECT_EQ(RowRecords(*dlg), (std::vector<int>{0, 1, 2, 3, 4}));
    ExpectRowsTiedToRecords(*dlg, book);
    EXPECT_EQ(ColumnTexts(*dlg, 0)[2], QString("伊藤"));
    EXPECT_EQ(ColumnTexts(*dlg, 3), (QStringList{"005 ﾄﾓﾀﾞﾁ", "000 [not named]", "012 [not named]",
                                                 "000 [not named]", "007 Work"}));
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(list->selectedItems().front(), list->topLevelItem(0));
}

TEST_F(PhoneBookDialogTest, FirstClickAscendsSecondDescendsAnotherColumnAscends) {
    Book book = SampleBook();
    auto dlg = Open(book);

    ClickHeader(*dlg, 0);
    EXPECT_EQ(RowRecords(*dlg), ExpectedOrder(book, 0, true));
    // Upper case before lower case, double-byte names last.
    EXPECT_EQ(ColumnTexts(*dlg, 0), (QStringList{"Abe", "Abe", "Suzuki", "abe", "伊藤"}));
    ExpectRowsTiedToRecords(*dlg, book);

    ClickHeader(*dlg, 0);
    EXPECT_EQ(ColumnTexts(*dlg, 0), (QStringList{"伊藤", "abe", "Suzuki", "Abe", "Abe"}));
    ExpectRowsTiedToRecords(*dlg, book);

    ClickHeader(*dlg, 2);  // numbers sort as text, not by value
    EXPECT_EQ(ColumnTexts(*dlg, 2),
              (QStringList{"0", "0120", "0312345678", "0451112222", "09011112222"}));
    ExpectRowsTiedToRecords(*dlg, book);

    ClickHeader(*dlg, 3);  // by label, so by group number
    EXPECT_EQ(ColumnTexts(*dlg, 3).first(), QString("000 [not named]"));
    EXPECT_EQ(ColumnTexts(*dlg, 3).last(), QString("012 [not named]"));
    EXPECT_EQ(PhoneBookSortState().lastColumn, 3);
    EXPECT_EQ(PhoneBookSortState().direction, +1);
}

TEST_F(PhoneBookDialogTest, SortStateCarriesOverToTheNextOpening) {
    Book book = SampleBook();
    {
        auto dlg = Open(book);
        ClickHeader(*dlg, 0);
        EXPECT_EQ(RowRecords(*dlg), ExpectedOrder(book, 0, true));
        dlg->reject();
    }
    auto dlg = Open(book);
    EXPECT_EQ(RowRecords(*dlg), (std::vector<int>{0, 1, 2, 3, 4}));  // file order again
    ClickHeader(*dlg, 0);
    // The same column as last time: sorted the other way, from file order.
    EXPECT_EQ(RowRecords(*dlg), ExpectedOrder(book, 0, false));
    EXPECT_EQ(ColumnTexts(*dlg, 0).first(), QString("伊藤"));
}

TEST_F(PhoneBookDialogTest, EqualKeysAndSelectionMatchSwappingTheListsRows) {
    // Many equal names: the list ends up exactly as if SortList had swapped
    // the widget's rows one pair at a time, selection included.
    std::mt19937 random(7);
    std::vector<Entry> entries;
    for (int k = 0; k < 300; ++k) {
        const int n = std::uniform_int_distribution<int>(0, 5)(random);
        entries.push_back({n == 0 ? std::string() : "N" + std::to_string(n),
                           std::string(1, static_cast<char>(0xB1 + n % 3)), std::to_string(k % 11),
                           std::to_string(k % 4)});
    }
    Book book(entries);
    auto fast = Open(book);
    auto slow = Open(book);
    List(*fast)->setCurrentItem(List(*fast)->topLevelItem(42));
    List(*slow)->setCurrentItem(List(*slow)->topLevelItem(42));

    struct WidgetRows final : SortableRows {
        CPhoneBookDlg& dlg;
        explicit WidgetRows(CPhoneBookDlg& d) : dlg(d) {}
        int RowCount() const override { return dlg.RowCount(); }
        std::string Text(int row, int column) const override { return dlg.RowText(row, column); }
        void SwapRows(int a, int b) override { dlg.SwapRows(a, b); }
    } slowRows(*slow);

    const std::pair<int, bool> sorts[] = {{0, true}, {0, false}, {1, true}, {3, false}, {2, true}};
    for (const auto& [column, ascending] : sorts) {
        PhoneBookSortState() = ListSortState{column, ascending ? -1 : +1};
        ClickHeader(*fast, column);
        SortList(slowRows, column, 0, slowRows.RowCount() - 1, ascending);
        EXPECT_EQ(RowRecords(*fast), RowRecords(*slow)) << "column " << column;
        for (int row = 0; row < 300; ++row) {
            EXPECT_EQ(ColumnTexts(*fast, column)[row], ColumnTexts(*slow, column)[row]);
        }
        ExpectRowsTiedToRecords(*fast, book);
        ExpectRowsTiedToRecords(*slow, book);
        const auto selectedFast = List(*fast)->selectedItems();
        const auto selectedSlow = List(*slow)->selectedItems();
        ASSERT_EQ(selectedFast.size(), 1);
        ASSERT_EQ(selectedSlow.size(), 1);
        EXPECT_EQ(selectedFast.front()->data(0, Qt::UserRole).toInt(), 42);
        EXPECT_EQ(selectedSlow.front()->data(0, Qt::UserRole).toInt(), 42);
        EXPECT_EQ(List(*fast)->currentItem(), selectedFast.front());
        EXPECT_EQ(List(*slow)->currentItem(), selectedSlow.front());
    }
}

TEST_F(PhoneBookDialogTest, OkTakesTheSelectedRowsRecordAfterSorting) {
    Book book = SampleBook();
    auto dlg = Open(book);
    ClickHeader(*dlg, 0);  // Abe, Abe, Suzuki, abe, 伊藤
    QTreeWidget* list = List(*dlg);
    const QRect row3 = list->visualItemRect(list->topLevelItem(3));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row3.center());
    QTest::mouseClick(dlg->findChild<QPushButton*>("1"), Qt::LeftButton);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->m_nSelected, 3);  // "abe" is record 3
}

TEST_F(PhoneBookDialogTest, DoubleClickOnARowIsOkWithThatRow) {
    Book book = SampleBook();
    auto dlg = Open(book);
    QTreeWidget* list = List(*dlg);
    const QPoint at = list->visualItemRect(list->topLevelItem(2)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->m_nSelected, 2);
}

TEST_F(PhoneBookDialogTest, DoubleClickOnAnEmptyAreaIsOkWithTheSelectedRow) {
    Book book = SampleBook();
    auto dlg = Open(book);
    QTreeWidget* list = List(*dlg);
    list->setCurrentItem(list->topLevelItem(4));
    const QPoint below(5, list->viewport()->height() - 3);
    ASSERT_EQ(list->itemAt(below), nullptr);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    // A click beside the rows leaves the selection as it was; OK takes it.
    ASSERT_EQ(list->selectedItems().size(), 1);
    EXPECT_EQ(dlg->m_nSelected, 4);

    auto none = Open(book);
    List(*none)->clearSelection();
    QTest::mouseDClick(List(*none)->viewport(), Qt::LeftButton, {}, below);
    EXPECT_EQ(none->result(), QDialog::Accepted);
    EXPECT_EQ(none->m_nSelected, -1);
}

TEST_F(PhoneBookDialogTest, OkStoresColumnWidthsAndTheNextOpeningUsesThem) {
    Book book = SampleBook();
    auto dlg = Open(book);
    List(*dlg)->header()->resizeSection(1, 123);
    List(*dlg)->header()->resizeSection(2, 7);
    // The last column fills the rest: its width is what the others leave.
    const int last = List(*dlg)->header()->sectionSize(3);
    dlg->accept();
    EXPECT_EQ(Profile::GetProfileInt("dialog", Key(0), -1), 80);
    EXPECT_EQ(Profile::GetProfileInt("dialog", Key(1), -1), 123);
    EXPECT_EQ(Profile::GetProfileInt("dialog", Key(2), -1), 7);
    EXPECT_EQ(Profile::GetProfileInt("dialog", Key(3), -1), last);
    auto again = Open(book);
    EXPECT_EQ(List(*again)->header()->sectionSize(1), 123);
    EXPECT_EQ(List(*again)->header()->sectionSize(2), 7);
}

TEST_F(PhoneBookDialogTest, CancelStoresNothingAndChoosesNothing) {
    Book book = SampleBook();
    auto dlg = Open(book);
    List(*dlg)->header()->resizeSection(0, 150);
    QTest::mouseClick(dlg->findChild<QPushButton*>("2"), Qt::LeftButton);
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_EQ(dlg->m_nSelected, -1);
    EXPECT_EQ(Profile::GetProfileInt("dialog", Key(0), -1), 80);
    auto again = Open(book);
    EXPECT_EQ(List(*again)->header()->sectionSize(0), 80);
}

// The one line of an empty list: how to load a book, not a record.
void ExpectOnlyTheLoadingHint(QTreeWidget* list) {
    ASSERT_EQ(list->topLevelItemCount(), 1);
    const QTreeWidgetItem* hint = list->topLevelItem(0);
    EXPECT_TRUE(hint->text(0).contains(QStringLiteral("電話帳ファイル変更(R)")));
    for (const char* kind : {".mdd", ".vcf", ".csv"}) EXPECT_TRUE(hint->text(0).contains(kind));
    EXPECT_FALSE(hint->flags() & Qt::ItemIsSelectable);
    EXPECT_TRUE(hint->isFirstColumnSpanned());
}

TEST_F(PhoneBookDialogTest, EmptyBookShowsHowToLoadOneAndOkChoosesNothing) {
    Book book({});
    auto dlg = Open(book);
    ExpectOnlyTheLoadingHint(List(*dlg));
    ClickHeader(*dlg, 1);
    ExpectOnlyTheLoadingHint(List(*dlg));
    QTest::mouseClick(List(*dlg)->viewport(), Qt::LeftButton, {},
                      List(*dlg)->visualItemRect(List(*dlg)->topLevelItem(0)).center());
    EXPECT_EQ(PhoneBookSortState().lastColumn, 1);
    List(*dlg)->header()->resizeSection(2, 55);
    QTest::mouseClick(dlg->findChild<QPushButton*>("1"), Qt::LeftButton);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->m_nSelected, -1);
    EXPECT_EQ(Profile::GetProfileInt("dialog", Key(2), -1), 55);
}

TEST_F(PhoneBookDialogTest, NoRecordViewOrMissingRecordsShowNothingWrong) {
    CPhoneBookDlg dlg;
    dlg.m_nCount = 3;  // but no records handed over
    dlg.show();
    ExpectOnlyTheLoadingHint(List(dlg));

    Book book = SampleBook();
    book.book.m_records[1].reset();
    auto withGap = Open(book);
    ASSERT_EQ(List(*withGap)->topLevelItemCount(), 5);
    EXPECT_EQ(List(*withGap)->topLevelItem(1)->text(0), QString());
    ClickHeader(*withGap, 0);
    EXPECT_EQ(ColumnTexts(*withGap, 0).first(), QString());  // the empty row sorts first
}

TEST_F(PhoneBookDialogTest, FiveThousandRowsSortBothWaysAndStayTied) {
    std::vector<Entry> entries;
    for (int k = 0; k < MAX_MEMORY_DIAL; ++k) {
        const std::string n = std::to_string(100000 + k);
        entries.push_back({"Name" + n, "\xC5\xCF\xB4" + n, "090" + n, std::to_string(k % 50)});
    }
    // Long texts too: 300 bytes.
    entries[17].name = std::string(300, 'Z');
    Book book(entries);
    auto dlg = Open(book);
    ASSERT_EQ(List(*dlg)->topLevelItemCount(), MAX_MEMORY_DIAL);
    for (const bool ascending : {true, false}) {
        ClickHeader(*dlg, 0);
        EXPECT_EQ(RowRecords(*dlg), ExpectedOrder(book, 0, ascending));
        EXPECT_EQ(dlg->RowRecord(ascending ? MAX_MEMORY_DIAL - 1 : 0), 17);
        ExpectRowsTiedToRecords(*dlg, book);
    }
}

// Without stored widths a full book shows every text whole: no header and no
// cell of any row (on screen or not) is elided at the dialog's size and font.
TEST_F(PhoneBookDialogTest, WithoutStoredWidthsNoTextIsCut) {
    for (int c = 0; c < 4; ++c) Profile::RemoveProfileEntry("dialog", Key(c));
    const auto sample = GeneratedBook(MAX_MEMORY_DIAL);
    Book book({});
    for (const CMemoryDial& record : sample.records) {
        book.book.m_records[book.book.m_nRecords++] = std::make_unique<CMemoryDial>(record);
    }
    for (size_t g = 0; g < sample.groups.size() && g < MAX_GROUP; ++g) {
        book.book.m_groupNames[g] = sample.groups[g];
    }
    auto dlg = Open(book);
    QTreeWidget* list = List(*dlg);
    ASSERT_EQ(list->topLevelItemCount(), MAX_MEMORY_DIAL);
    QHeaderView* header = list->header();
    const QFontMetrics metrics(list->font());
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE(c);
        EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c));
        int cut = 0;
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = list->topLevelItem(row);
            // The room the style gives the text inside the cell.
            const int room = list->visualRect(list->indexFromItem(item, c)).width() - 2 * margin;
            if (metrics.elidedText(item->text(c), Qt::ElideRight, room) != item->text(c)) ++cut;
        }
        EXPECT_EQ(cut, 0);
    }
    // The dialog grew so that the columns show side by side.
    EXPECT_GE(list->viewport()->width(),
              header->sectionSize(0) + header->sectionSize(1) + header->sectionSize(2));
}

}  // namespace
