// The call history: the time one call's write takes on the link thread, the
// recorder's open with its checks, the history dialog's opening and the CSV
// export with 100 000 calls in the store (offscreen).

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTreeView>
#include <memory>
#include <sstream>

#include "history/CallCsv.h"
#include "history/CallRecorder.h"
#include "history/CallStore.h"
#include "history/ui/CallHistoryDlg.h"
#include "history/ui/CallHistoryModel.h"
#include "support/CallSamples.h"

namespace {

struct Environment {
    QTemporaryDir data;
    std::unique_ptr<QApplication> application;
    std::string bigStore;

    Environment() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        UseJapanTime();
        static int argc = 1;
        static char name[] = "callhistory_bench";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QApplication>(argc, argv);
        bigStore = data.filePath("big.sqlite").toStdString();
        std::ostringstream diagnostics;
        auto store = CallStore::OpenForRecording(bigStore, kMarch2024, diagnostics);
        if (store) FillCalls(*store, 100000, kMarch2024);
    }
};

Environment& Env() {
    static Environment env;
    return env;
}

// One record written as the store does it: its own transaction, committed.
void BM_InsertRecord(benchmark::State& state) {
    QTemporaryDir dir;
    std::ostringstream diagnostics;
    auto store = CallStore::OpenForRecording(dir.filePath("calls.sqlite").toStdString(), kMarch2024,
                                             diagnostics);
    CallRecord call =
        MakeCall(kMarch2024, CallOutcome::Answered, "09012345678", "山田太郎", 30, 10);
    for (auto _ : state) {
        benchmark::DoNotOptimize(store->Insert(call));
        ++call.started;
    }
}
BENCHMARK(BM_InsertRecord)->Unit(benchmark::kMicrosecond);

// A whole answered call through the recorder: begun, answered, ended with a
// charge (three writes, each the longest the link waits for one event).
void BM_RecordAnsweredCall(benchmark::State& state) {
    QTemporaryDir dir;
    std::ostringstream diagnostics;
    CallRecorder recorder(dir.filePath("calls.sqlite").toStdString(), diagnostics, kMarch2024);
    std::time_t when = kMarch2024;
    for (auto _ : state) {
        CallEvent event;
        event.kind = CallEventKind::Incoming;
        event.when = when;
        event.number = "09012345678";
        recorder.OnCallEvent(event);
        event.kind = CallEventKind::Answered;
        event.when = when + 5;
        recorder.OnCallEvent(event);
        event.kind = CallEventKind::Ended;
        event.when = when + 65;
        event.charge = ChargeKind::Yen;
        event.chargeYen = 120;
        recorder.OnCallEvent(event);
        when += 100;
    }
}
BENCHMARK(BM_RecordAnsweredCall)->Unit(benchmark::kMicrosecond);

// From the menu command to the list on screen: the store opened, every row
// read, the months found, the month's total, the dialog shown and painted.
void BM_OpenHistoryDialog100k(benchmark::State& state) {
    Environment& env = Env();
    for (auto _ : state) {
        auto store = CallStore::OpenExisting(env.bigStore);
        CCallHistoryDlg dialog(store.get(), nullptr, kMarch2024 + 60 * 86400);
        dialog.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(dialog.Model()->rowCount());
        dialog.hide();
    }
}
BENCHMARK(BM_OpenHistoryDialog100k)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The recorder's open at the start: folder and file made private, the
// schema version and the integrity check, the statements.
void BM_OpenForRecording100k(benchmark::State& state) {
    Environment& env = Env();
    for (auto _ : state) {
        CallStoreOpening opening = CallStore::Open(env.bigStore, kMarch2024);
        benchmark::DoNotOptimize(opening.store.get());
    }
}
BENCHMARK(BM_OpenForRecording100k)->Unit(benchmark::kMillisecond);

// "CSV出力" of every call: the text, then its encoding (0 UTF-8, 1 Shift_JIS).
void BM_ExportCsv100k(benchmark::State& state) {
    Environment& env = Env();
    const std::vector<CallRecord> rows = CallStore::OpenExisting(env.bigStore)->Rows(false);
    const CsvEncoding encoding = state.range(0) ? CsvEncoding::ShiftJis : CsvEncoding::Utf8;
    for (auto _ : state) {
        const EncodedCsv csv = EncodeCsv(CallsCsv(rows), encoding);
        benchmark::DoNotOptimize(csv.bytes.data());
    }
}
BENCHMARK(BM_ExportCsv100k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
