// Loading a full phone book of 5000 believable entries, beside the time it
// takes merely to read the same file's bytes.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "phonebook/ArchiveReader.h"
#include "phonebook/PhoneBook.h"
#include "support/PhoneBookWriter.h"
#include "support/SampleBooks.h"
#include "support/ScratchDir.h"

namespace {

// One file for the whole run, written before the first measurement.
const std::string& FullBookPath() {
    static ScratchDir dir;
    static const std::string path = [] {
        const SampleBook book = GeneratedBook(MAX_MEMORY_DIAL);
        return dir.Write("full.mdd", PhoneBookBytes(book.records, book.groups));
    }();
    return path;
}

void BM_LoadPhoneBook(benchmark::State& state) {
    const std::string& path = FullBookPath();
    auto book = std::make_unique<PhoneBook>();
    for (auto _ : state) {
        const PhoneBookLoadOutcome outcome = LoadPhoneBookFile(path, *book);
        if (outcome.result != PhoneBookLoad::Loaded || book->m_nRecords != MAX_MEMORY_DIAL) {
            state.SkipWithError("the book did not load");
            break;
        }
        benchmark::DoNotOptimize(book->m_records[MAX_MEMORY_DIAL - 1].get());
    }
    state.counters["records"] = book->m_nRecords;
}
BENCHMARK(BM_LoadPhoneBook)->Unit(benchmark::kMillisecond);

// The same book parsed from bytes already in memory: the reading without the file.
void BM_ParsePhoneBookInMemory(benchmark::State& state) {
    const SampleBook sample = GeneratedBook(MAX_MEMORY_DIAL);
    const std::string bytes = PhoneBookBytes(sample.records, sample.groups);
    auto book = std::make_unique<PhoneBook>();
    for (auto _ : state) {
        ArchiveReader archive(bytes.data(), bytes.size());
        if (ReadPhoneBook(archive, *book) != PhoneBookLoad::Loaded) {
            state.SkipWithError("the book did not load");
            break;
        }
        benchmark::DoNotOptimize(book->m_records[MAX_MEMORY_DIAL - 1].get());
    }
}
BENCHMARK(BM_ParsePhoneBookInMemory)->Unit(benchmark::kMillisecond);

// The floor for any load: open the file, read every byte into memory, close it.
void BM_ReadFileBytes(benchmark::State& state) {
    const std::string& path = FullBookPath();
    std::vector<char> buffer;
    size_t total = 0;
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) {
            state.SkipWithError("cannot open the book");
            break;
        }
        buffer.clear();
        char chunk[64 * 1024];
        size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
            buffer.insert(buffer.end(), chunk, chunk + got);
        }
        std::fclose(file);
        total = buffer.size();
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["bytes"] = static_cast<double>(total);
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);

}  // namespace
