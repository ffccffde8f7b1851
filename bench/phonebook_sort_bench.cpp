// The phone book list's sort at its limit of 5000 rows, in its worst case:
// the first-row pivot makes an already sorted list (either way round)
// quadratic. Measured from the header click to the list painted, and the
// sort alone for comparison.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "phonebook/ListSort.h"
#include "phonebook/ui/PhoneBookDlg.h"

namespace {

// Names already in ascending order, with a shared prefix so that each
// comparison reads several characters, as real names of one family would.
std::vector<std::string> SortedNames(int count) {
    std::vector<std::string> names;
    for (int k = 0; k < count; ++k)
        names.push_back("\x83\x5E\x83\x69\x83\x4A" + std::to_string(100000 + k));
    return names;
}

PhoneBook& SortedBook() {
    static PhoneBook book = [] {
        PhoneBook b;
        const auto names = SortedNames(MAX_MEMORY_DIAL);
        for (int k = 0; k < MAX_MEMORY_DIAL; ++k) {
            auto record = std::make_unique<CMemoryDial>();
            record->m_strName = names[k];
            record->m_strReading = "\xC5\xCF\xB4" + std::to_string(k % 97);
            record->m_strNumber[0] = "090" + std::to_string(10000000 + k);
            record->m_strGroup = std::to_string(k % 50);
            b.m_records[k] = std::move(record);
        }
        b.m_nRecords = MAX_MEMORY_DIAL;
        return b;
    }();
    return book;
}

// A header click on the name column, alternating ascending and descending
// over a list that is always sorted one way already: every click is a worst
// case. The time runs until the list has been painted again.
void BM_HeaderClickToListShown(benchmark::State& state) {
    CPhoneBookDlg dlg;
    dlg.m_pRecords = SortedBook().m_records.data();
    dlg.m_pGroupNames = SortedBook().m_groupNames.data();
    dlg.m_nCount = SortedBook().m_nRecords;
    dlg.show();
    QApplication::processEvents();
    PhoneBookSortState() = ListSortState{};
    QHeaderView* header = dlg.m_list->header();
    for (auto _ : state) {
        emit header->sectionClicked(0);
        dlg.m_list->viewport()->repaint();
        QApplication::processEvents();
    }
    state.counters["rows"] = dlg.RowCount();
}
BENCHMARK(BM_HeaderClickToListShown)->Unit(benchmark::kMillisecond);

// Filling the dialog with 5000 records, for scale.
void BM_OpenWithFullBook(benchmark::State& state) {
    for (auto _ : state) {
        CPhoneBookDlg dlg;
        dlg.m_pRecords = SortedBook().m_records.data();
        dlg.m_pGroupNames = SortedBook().m_groupNames.data();
        dlg.m_nCount = SortedBook().m_nRecords;
        dlg.show();
        dlg.m_list->viewport()->repaint();
    }
}
BENCHMARK(BM_OpenWithFullBook)->Unit(benchmark::kMillisecond);

// The sort alone as the dialog runs it (ranked keys), on sorted input
// ascending (arg 1) and descending (arg 0).
void BM_SortListOrderWorstCase(benchmark::State& state) {
    const auto names = SortedNames(MAX_MEMORY_DIAL);
    for (auto _ : state) benchmark::DoNotOptimize(SortListOrder(names, state.range(0) != 0));
}
BENCHMARK(BM_SortListOrderWorstCase)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The same sort through the row interface, reading and copying each row's
// text for every comparison: what the sort would cost done row by row.
class VectorRows final : public SortableRows {
public:
    explicit VectorRows(std::vector<std::string> texts) : texts_(std::move(texts)) {}
    int RowCount() const override { return static_cast<int>(texts_.size()); }
    std::string Text(int row, int) const override { return texts_[row]; }
    void SwapRows(int a, int b) override { std::swap(texts_[a], texts_[b]); }

private:
    std::vector<std::string> texts_;
};

void BM_SortListRowByRowWorstCase(benchmark::State& state) {
    const auto names = SortedNames(MAX_MEMORY_DIAL);
    for (auto _ : state) {
        VectorRows rows(names);
        SortList(rows, 0, 0, rows.RowCount() - 1, state.range(0) != 0);
    }
}
BENCHMARK(BM_SortListRowByRowWorstCase)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
