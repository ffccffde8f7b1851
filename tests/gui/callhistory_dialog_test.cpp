// The call history dialog on a real store: columns, sort, missed filter,
// month totals, CSV export and the entry handed back.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeView>
#include <filesystem>
#include <functional>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "history/CallHistoryNotice.h"
#include "history/CallStore.h"
#include "history/CallTexts.h"
#include "history/ui/CallHistoryDlg.h"
#include "history/ui/CallHistoryModel.h"
#include "history/ui/CallHistoryRun.h"
#include "platform/Cp932.h"
#include "support/CallSamples.h"
#include "support/ScratchDir.h"
#include "support/gui/ModalScript.h"
#include "support/gui/QtPrinters.h"
#include "support/gui/ScriptedDialogs.h"

namespace {

constexpr std::time_t kApril = kMarch2024 + 31 * 86400;
constexpr std::time_t kNow = kApril + 9 * 86400;  // 2024-04-10

template <class Widget>
Widget* Find(const QWidget& dialog, int id) {
    return dialog.findChild<Widget*>(QString::number(id));
}

class CallHistoryDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseJapanTime();
        store = CallStore::OpenForRecording(scratch.PathOf("calls.sqlite"), kNow, diagnostics);
        ASSERT_TRUE(store);
        for (const CallRecord& call :
             {MakeCall(kMarch2024 + 4 * 86400 + 36000, CallOutcome::Answered, "09012345678",
                       "山田太郎", 75, 120),  // 03/05 10:00
              MakeCall(kMarch2024 + 19 * 86400 + 66600, CallOutcome::Missed, "0312345678"),
              MakeCall(kApril + 86400 + 33300, CallOutcome::Dialled, "0120444444", "Smith, \"J\"",
                       30, 80),  // 04/02 09:15
              MakeCall(kApril + 2 * 86400 + 43200, CallOutcome::HeldEnded, "", ""),
              MakeCall(kMarch2024 - 60, CallOutcome::Answered, "117", "時報", 3725)}) {
            ASSERT_TRUE(store->Insert(call));
        }
        dialog = std::make_unique<CCallHistoryDlg>(store.get(), nullptr, kNow);
        list = Find<QTreeView>(*dialog, IDC_HISTORY_LIST);
        ASSERT_TRUE(list);
    }

    // The numbers down the list, which tell the calls apart.
    QStringList NumberColumn() const {
        QStringList numbers;
        for (int row = 0; row < dialog->Model()->rowCount(); ++row)
            numbers << dialog->Model()->index(row, COL_NUMBER).data().toString();
        return numbers;
    }

    void SelectRow(int row) { list->setCurrentIndex(dialog->Model()->index(row, 0)); }

    ScratchDir scratch;
    std::ostringstream diagnostics;
    std::unique_ptr<CallStore> store;
    std::unique_ptr<CCallHistoryDlg> dialog;
    QTreeView* list = nullptr;
};

TEST_F(CallHistoryDialogTest, SixColumnsNewestFirst) {
    const QStringList titles = {"日時", "種別", "電話番号", "名前", "通話時間", "料金"};
    const QAbstractItemModel* model = list->model();
    ASSERT_EQ(model->columnCount(), titles.size());
    for (int column = 0; column < titles.size(); ++column)
        EXPECT_EQ(model->headerData(column, Qt::Horizontal).toString(), titles[column]);

    EXPECT_EQ(NumberColumn(),
              (QStringList{"非通知", "0120444444", "0312345678", "09012345678", "117"}));
    const struct {
        int row;
        QStringList cells;
    } rows[] = {
        {0, {"2024/04/03 12:00", "保留終了", "非通知", "", "0:00", ""}},
        {1, {"2024/04/02 09:15", "発信", "0120444444", "Smith, \"J\"", "0:30", "¥80"}},
        {2, {"2024/03/20 18:30", "不在着信", "0312345678", "", "0:00", ""}},
        {3, {"2024/03/05 10:00", "着信", "09012345678", "山田太郎", "1:15", "¥120"}},
        {4, {"2024/02/29 23:59", "着信", "117", "時報", "1:02:05", ""}},
    };
    for (const auto& r : rows) {
        for (int column = 0; column < CALL_COLUMNS; ++column)
            EXPECT_EQ(model->index(r.row, column).data().toString(), r.cells[column])
                << r.row << "," << column;
    }
}

TEST_F(CallHistoryDialogTest, SortsByEveryColumnBothWays) {
    const struct {
        int column;
        QStringList ascending;  // numbers in order
    } cases[] = {
        {COL_TIME, {"117", "09012345678", "0312345678", "0120444444", "非通知"}},
        // Kinds in the order of their texts (UTF-8): 不在着信 保留終了 発信 着信 着信.
        {COL_KIND, {"0312345678", "非通知", "0120444444", "117", "09012345678"}},
        {COL_NUMBER, {"非通知", "0120444444", "0312345678", "09012345678", "117"}},
        // Equal (empty) names fall back to the time.
        {COL_NAME, {"0312345678", "非通知", "0120444444", "09012345678", "117"}},
        {COL_DURATION, {"0312345678", "非通知", "0120444444", "09012345678", "117"}},
        // No charge below every charge.
        {COL_CHARGE, {"117", "0312345678", "非通知", "0120444444", "09012345678"}},
    };
    for (const auto& c : cases) {
        list->sortByColumn(c.column, Qt::AscendingOrder);
        EXPECT_EQ(NumberColumn(), c.ascending) << c.column;
        list->sortByColumn(c.column, Qt::DescendingOrder);
        QStringList descending = c.ascending;
        std::reverse(descending.begin(), descending.end());
        EXPECT_EQ(NumberColumn(), descending) << c.column;
    }
}

TEST_F(CallHistoryDialogTest, TheSelectionFollowsItsCallThroughASort) {
    SelectRow(3);  // 山田太郎
    list->sortByColumn(COL_DURATION, Qt::DescendingOrder);
    EXPECT_EQ(list->currentIndex().siblingAtColumn(COL_NUMBER).data().toString(), "09012345678");
    dialog->accept();
    ASSERT_TRUE(dialog->Chosen());
    EXPECT_EQ(dialog->Chosen()->number, "09012345678");
}

TEST_F(CallHistoryDialogTest, MissedFilterShowsOnlyMissedCallsAndKeepsTheSort) {
    ASSERT_TRUE(store->Insert(MakeCall(kApril + 100, CallOutcome::Missed, "0451112222")));
    list->sortByColumn(COL_NUMBER, Qt::AscendingOrder);
    auto* missedOnly = Find<QCheckBox>(*dialog, IDC_HISTORY_MISSED_ONLY);
    ASSERT_TRUE(missedOnly);
    missedOnly->setChecked(true);
    EXPECT_EQ(NumberColumn(), (QStringList{"0312345678", "0451112222"}));
    missedOnly->setChecked(false);
    EXPECT_EQ(NumberColumn().size(), 6);
}

TEST_F(CallHistoryDialogTest, MonthSelectorShowsEachMonthsCallsAndCharges) {
    auto* month = Find<QComboBox>(*dialog, IDC_HISTORY_MONTH);
    auto* total = Find<QLabel>(*dialog, IDC_HISTORY_TOTAL);
    ASSERT_TRUE(month && total);
    EXPECT_EQ(dialog->Months(), (QList<int>{202404, 202403, 202402}));
    EXPECT_EQ(month->currentText(), "2024年04月");
    EXPECT_EQ(total->text(), "通話 2件　料金合計 ¥80");
    const struct {
        int index;
        QString text;
    } cases[] = {{1, "通話 2件　料金合計 ¥120"}, {2, "通話 1件　料金合計 ¥0"}};
    for (const auto& c : cases) {
        month->setCurrentIndex(c.index);
        EXPECT_EQ(total->text(), c.text);
    }
}

TEST_F(CallHistoryDialogTest, ShowingMarksMissedCallsSeenButKeepsThemBoldThisTime) {
    EXPECT_EQ(store->UnseenMissedCount(), 1);
    dialog->show();
    EXPECT_EQ(store->UnseenMissedCount(), 0);
    const QModelIndex missed = dialog->Model()->index(2, 0);
    EXPECT_TRUE(missed.data(Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(dialog->Model()->index(3, 0).data(Qt::FontRole).isValid());
}

TEST_F(CallHistoryDialogTest, CsvHoldsTheShownRowsAsTheExpectedFile) {
    Find<QCheckBox>(*dialog, IDC_HISTORY_MISSED_ONLY)->setChecked(false);
    ScriptedDialogs dialogs;
    const QString path = QString::fromStdString(scratch.PathOf("out.csv"));
    dialogs.fileAnswers.push_back(path);
    QTest::mouseClick(Find<QPushButton>(*dialog, IDC_HISTORY_CSV), Qt::LeftButton);
    EXPECT_EQ(dialogs.saveDialogsShown, 1);
    EXPECT_EQ(dialogs.lastSuffix, "csv");
    EXPECT_EQ(dialogs.lastSuggestedName, "通話履歴-2024-04.csv");
    EXPECT_EQ(dialogs.lastFilters, (QStringList{"CSV (UTF-8) (*.csv)", "CSV (Shift_JIS) (*.csv)"}));
    EXPECT_TRUE(dialogs.messages.empty());

    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    QFile expected(QStringLiteral(TELVOXA_TEST_DATA "/call_history.csv"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), expected.readAll());

    // Cancelled: nothing written. Unwritable: said so.
    dialogs.fileAnswers = {std::nullopt, QString::fromStdString(scratch.PathOf("no/such/dir.csv"))};
    QTest::mouseClick(Find<QPushButton>(*dialog, IDC_HISTORY_CSV), Qt::LeftButton);
    EXPECT_TRUE(dialogs.messages.empty());
    QTest::mouseClick(Find<QPushButton>(*dialog, IDC_HISTORY_CSV), Qt::LeftButton);
    EXPECT_EQ(
        dialogs.Texts(),
        QStringList{"CSV File Write Error !!\n" +
                    QString::fromStdString(scratch.PathOf("no/such/dir.csv")) + ": " +
                    QString::fromStdString(scratch.PathOf("no")) + ": No such file or directory"});
}

// Where the user saves, another user may have put a link (the file dialog's
// "replace?" names only the file) or a FIFO: nothing is written through
// them. What is written is as private as the history.
TEST_F(CallHistoryDialogTest, AnExportIsWrittenOnlyAsAFileOfTheUsersAlone) {
    const bool root = ::geteuid() == 0;  // only root can give files away
    const std::string history = scratch.PathOf("calls.sqlite");
    const std::string before = scratch.Read("calls.sqlite");
    const std::string theirs = scratch.Write("theirs.csv", "another user's\n");
    if (root) ::chown(theirs.c_str(), 65534, 65534);
    const struct {
        const char* what;
        bool needsRoot;
        std::function<void(const std::string& path)> plant;
        const char* reason;  // empty: written
    } cases[] = {
        {"a new file", false, [](const std::string&) {}, ""},
        {"the user's own file", false,
         [&](const std::string& path) {
             scratch.Write("out.csv", "old\n");
             ::chmod(path.c_str(), 0644);
         },
         ""},
        {"another user's link to the history", true,
         [&](const std::string& path) {
             ::symlink(history.c_str(), path.c_str());
             ::lchown(path.c_str(), 65534, 65534);
         },
         "a link of another user"},
        {"the user's link to another user's file", true,
         [&](const std::string& path) { ::symlink(theirs.c_str(), path.c_str()); },
         "the file belongs to another user"},
        {"a second name of the history", false,
         [&](const std::string& path) { ::link(history.c_str(), path.c_str()); },
         "the file has other names (hard links)"},
        {"a FIFO", false, [](const std::string& path) { ::mkfifo(path.c_str(), 0666); },
         "not a regular file"},
    };
    ::umask(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsRoot && !root) continue;
        const std::string path = scratch.PathOf("out.csv");
        std::filesystem::remove(path);
        c.plant(path);
        ScriptedDialogs dialogs;
        dialogs.fileAnswers.push_back(QString::fromStdString(path));
        QTest::mouseClick(Find<QPushButton>(*dialog, IDC_HISTORY_CSV), Qt::LeftButton);
        EXPECT_EQ(scratch.Read("calls.sqlite"), before);
        EXPECT_EQ(scratch.Read("theirs.csv"), "another user's\n");
        if (*c.reason != '\0') {
            EXPECT_EQ(dialogs.Texts(), QStringList{"CSV File Write Error !!\n" +
                                                   QString::fromStdString(path) + ": " + c.reason});
            continue;
        }
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.Texts().join("|").toStdString();
        EXPECT_EQ(scratch.Read("out.csv").rfind("\xEF\xBB\xBF", 0), 0u);
        struct stat written {};
        ASSERT_EQ(::lstat(path.c_str(), &written), 0);
        EXPECT_EQ(written.st_mode & 07777, 0600u);
    }
    ::umask(022);
}

TEST_F(CallHistoryDialogTest, ShiftJisExportSaysHowManyCharactersBecameQuestionMarks) {
    ASSERT_TRUE(store->Insert(MakeCall(kApril + 100, CallOutcome::Answered, "117", "Müller😀")));
    CCallHistoryDlg again(store.get(), nullptr, kNow);
    ScriptedDialogs dialogs;
    const QString path = QString::fromStdString(scratch.PathOf("sjis.csv"));
    dialogs.fileAnswers.push_back(path);
    dialogs.chosenFilter = 1;  // CSV (Shift_JIS)
    QTest::mouseClick(Find<QPushButton>(again, IDC_HISTORY_CSV), Qt::LeftButton);
    EXPECT_EQ(dialogs.Texts(),
              QStringList{"Characters that Shift_JIS cannot hold were written as \"?\": 2."});
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const std::string text = Cp932ToUtf8(written.readAll().toStdString());
    EXPECT_EQ(text.rfind("日時,種別,電話番号,名前,通話時間,料金(円)\r\n", 0), 0u);
    EXPECT_NE(text.find(",M?ller?,"), std::string::npos) << text;
}

TEST_F(CallHistoryDialogTest, AHundredCallsShowEveryHeaderAndTextUncut) {
    store.reset();
    dialog.reset();
    std::filesystem::remove_all(scratch.PathOf("many"));
    auto many = CallStore::OpenForRecording(scratch.PathOf("many/calls.sqlite"), kNow, diagnostics);
    ASSERT_TRUE(many);
    const char* names[] = {"株式会社テルボクサ東京本社営業部第二課", "山田太郎", "", "Smith, John"};
    for (int i = 0; i < 100; ++i) {
        // Every fifth a missed call not yet seen: bold.
        const CallOutcome outcome = i % 5 == 0 ? CallOutcome::Missed : CallOutcome::Answered;
        CallRecord call =
            MakeCall(kApril + i * 3600, outcome, i % 7 ? "09012345678" : "", names[i % 4], i * 397,
                     i % 3 ? std::optional<int>(i * 1000) : std::nullopt);
        if (i == 99) call.number = "*31#0120444444";
        ASSERT_TRUE(many->Insert(call));
    }
    CCallHistoryDlg shown(many.get(), nullptr, kNow);
    shown.show();
    QApplication::processEvents();
    auto* view = Find<QTreeView>(shown, IDC_HISTORY_LIST);
    const QHeaderView* header = view->header();
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0) << "no column behind a scroll bar";
    int right = 0;
    for (int column = 0; column < CALL_COLUMNS; ++column) {
        SCOPED_TRACE(column);
        const int width = header->sectionSize(column);
        EXPECT_LE(header->sectionSizeHint(column), width);
        for (int row = 0; row < shown.Model()->rowCount(); ++row) {
            QStyleOptionViewItem option;
            option.initFrom(view);
            const QModelIndex index = shown.Model()->index(row, column);
            if (const QVariant font = index.data(Qt::FontRole); font.isValid())
                option.font = font.value<QFont>();
            ASSERT_LE(view->itemDelegate()->sizeHint(option, index).width(), width)
                << index.data().toString().toStdString();
        }
        right = std::max(right, header->sectionViewportPosition(column) + width);
    }
    EXPECT_LE(right, view->viewport()->width());
}

TEST_F(CallHistoryDialogTest, TroubleWithTheHistoryIsSaidInTheListAndOnceInAMessageBox) {
    // Held by another program: the dialog's own open says so.
    dialog.reset();
    store.reset();
    SqliteDatabase holder;
    const std::string path = scratch.PathOf("calls.sqlite");
    ASSERT_TRUE(holder.Open(path, false));
    ASSERT_TRUE(holder.Execute("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;"));
    const CallStoreOpening locked = CallStore::OpenToRead(path);
    EXPECT_FALSE(locked.store);
    EXPECT_NE(CallHistoryTroubleLine(locked, path).find("is in use by another program"),
              std::string::npos);
    holder.Close();
    // Else the run's line: what became of the history at the start.
    CallHistoryNotice::Set("通話履歴が壊れていたため x に移し、新しい履歴を始めました。");
    EXPECT_EQ(CallHistoryTroubleLine(CallStore::OpenToRead(path), path), CallHistoryNotice::Text());
    EXPECT_NE(CallHistoryTip(path).find("\n通話履歴が壊れていた"), std::string::npos);

    ScriptedDialogs dialogs;
    ModalScript<CCallHistoryDlg> script;
    QString line;
    for (int i = 0; i < 2; ++i) {
        script.Then([&](CCallHistoryDlg* shown) {
            line = Find<QLabel>(*shown, IDC_HISTORY_TROUBLE)->text();
            EXPECT_TRUE(Find<QLabel>(*shown, IDC_HISTORY_TROUBLE)->isVisible());
            shown->reject();
        });
        RunCallHistory(nullptr, path);
        EXPECT_EQ(line.toStdString(), CallHistoryNotice::Text());
    }
    EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromStdString(CallHistoryNotice::Text())});
    CallHistoryNotice::Set("");
    EXPECT_EQ(CallHistoryTip(path), MissedCallTip(UnseenMissedCalls(path)));
}

TEST_F(CallHistoryDialogTest, OkAndDoubleClickHandBackTheChosenCall) {
    SelectRow(1);
    QTest::mouseClick(dialog->findChild<QPushButton*>("1"), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    ASSERT_TRUE(dialog->Chosen());
    EXPECT_EQ(dialog->Chosen()->number, "0120444444");
    EXPECT_EQ(dialog->Chosen()->name, "Smith, \"J\"");

    CCallHistoryDlg again(store.get(), nullptr, kNow);
    again.show();
    auto* view = Find<QTreeView>(again, IDC_HISTORY_LIST);
    const QRect cell = view->visualRect(again.Model()->index(3, COL_NAME));
    // A double-click as the mouse gives it: a click, then the double-click.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(again.result(), QDialog::Accepted);
    ASSERT_TRUE(again.Chosen());
    EXPECT_EQ(again.Chosen()->name, "山田太郎");
}

TEST_F(CallHistoryDialogTest, WithoutAStoreTheListIsEmptyAndNothingFails) {
    CCallHistoryDlg empty(nullptr, nullptr, kNow);
    empty.show();
    EXPECT_EQ(empty.Model()->rowCount(), 0);
    EXPECT_EQ(empty.Months(), QList<int>{202404});
    EXPECT_EQ(Find<QLabel>(empty, IDC_HISTORY_TOTAL)->text(), "通話 0件　料金合計 ¥0");
    empty.accept();
    EXPECT_FALSE(empty.Chosen());
}

}  // namespace
