// A vCard address book of 5000 cards: reading it as the program loads a
// phone book file, and naming an incoming caller from it.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "handset/CallerDirectory.h"
#include "phonebook/PhoneBook.h"
#include "phonebook/VCardReader.h"
#include "support/SampleBooks.h"
#include "support/ScratchDir.h"
#include "support/VCardWriter.h"

namespace {

const SampleBook& FullBook() {
    static const SampleBook book = GeneratedBook(MAX_MEMORY_DIAL);
    return book;
}

const std::string& FullVCardPath() {
    static ScratchDir dir;
    static const std::string path = dir.Write("contacts.vcf", VCardBytes(FullBook()));
    return path;
}

void BM_LoadVCardBook(benchmark::State& state) {
    const std::string& path = FullVCardPath();
    auto book = std::make_unique<PhoneBook>();
    for (auto _ : state) {
        const PhoneBookLoadOutcome outcome = LoadPhoneBookFile(path, *book);
        if (outcome.result != PhoneBookLoad::Loaded || book->m_nRecords != MAX_MEMORY_DIAL) {
            state.SkipWithError("the book did not load");
            break;
        }
        benchmark::DoNotOptimize(book->m_records[MAX_MEMORY_DIAL - 1].get());
    }
    state.counters["cards"] = book->m_nRecords;
}
BENCHMARK(BM_LoadVCardBook)->Unit(benchmark::kMillisecond);

// The same cards parsed from bytes already in memory.
void BM_ParseVCardInMemory(benchmark::State& state) {
    const std::string bytes = VCardBytes(FullBook());
    auto book = std::make_unique<PhoneBook>();
    for (auto _ : state) {
        if (ReadVCardBook(bytes, *book).result != PhoneBookLoad::Loaded) {
            state.SkipWithError("the book did not load");
            break;
        }
        benchmark::DoNotOptimize(book->m_records[MAX_MEMORY_DIAL - 1].get());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ParseVCardInMemory)->Unit(benchmark::kMillisecond);

// One incoming call: the received digits matched against every number of
// 5000 cards, for the last card's number (written "+81 ...") and for a
// number nobody has.
void BM_CallerLookup(benchmark::State& state) {
    auto book = std::make_unique<PhoneBook>();
    if (LoadPhoneBookFile(FullVCardPath(), *book).result != PhoneBookLoad::Loaded) {
        state.SkipWithError("the book did not load");
        return;
    }
    const auto directory = CallerDirectory::FromPhoneBook(*book);
    const std::string known = FullBook().records.back().m_strNumber[0];
    const std::string number = state.range(0) ? known : std::string("0120999999");
    for (auto _ : state) {
        const std::string* name = directory->NameFor(number);
        if ((name != nullptr) != (state.range(0) != 0)) {
            state.SkipWithError("wrong lookup result");
            break;
        }
        benchmark::DoNotOptimize(name);
    }
}
BENCHMARK(BM_CallerLookup)->Arg(1)->Arg(0)->ArgName("known")->Unit(benchmark::kNanosecond);

// Making the lookup's copy when a book has been loaded.
void BM_BuildCallerDirectory(benchmark::State& state) {
    auto book = std::make_unique<PhoneBook>();
    if (LoadPhoneBookFile(FullVCardPath(), *book).result != PhoneBookLoad::Loaded) {
        state.SkipWithError("the book did not load");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(CallerDirectory::FromPhoneBook(*book));
}
BENCHMARK(BM_BuildCallerDirectory)->Unit(benchmark::kMillisecond);

}  // namespace
