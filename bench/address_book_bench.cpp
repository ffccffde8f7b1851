// A vCard address book of 5000 cards: reading it as the program loads a
// phone book file, and naming an incoming caller from it. And files that lie:
// up to 64 MB of what no address book holds, each read as a phone book file.
// Run one of those alone to see its peak memory from outside:
//   /usr/bin/time -v build/bench/address_book_bench --benchmark_filter=BM_HostileBook/0/

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
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

// A file made of a head, a piece repeated up to `size` bytes and a tail,
// written in pieces so that making it costs no memory of its size.
struct HostileFile {
    const char* name;
    std::string head;
    std::string piece;
    size_t size;
    std::string tail;
};

constexpr size_t kMB = 1u << 20;

std::string JunkPiece() {
    std::mt19937 random(23);
    std::string junk(kMB, ' ');
    const std::string alphabet = "abc,,\"\"\r\n;:=XY01\xE3\x81\x82\x82\xA0 ";
    for (char& c : junk) c = alphabet[random() % alphabet.size()];
    return junk;
}

const std::vector<HostileFile>& HostileFiles() {
    static const std::vector<HostileFile> files = {
        {"8 MB CSV row of commas", "Name,Phone\n", ",", 8 * kMB, "\n"},
        {"60 MB CSV row of commas", "Name,Phone\n", ",", 60 * kMB, "\n"},
        {"60 MB vCard of TEL parameters", "BEGIN:VCARD\nFN:x\nTEL", ";X", 60 * kMB,
         ":1\nEND:VCARD\n"},
        {"vCard with a 64 MB line", "BEGIN:VCARD\nFN:x\nNOTE:", "x", 64 * kMB - 64,
         "\nEND:VCARD\n"},
        {"64 MB junk CSV", "Name,Phone\n", JunkPiece(), 63 * kMB, ""},
        {"CSV of 1 000 000 columns", "Name,Phone", ",Phone", 6 * 1000000, "\n"},
        {"64 MB of zero bytes", std::string(4, '\0'), std::string(4096, '\0'), 64 * kMB, ""},
        {"64 MB CSV of empty rows", "Name,Phone\n", ",\n", 64 * kMB - 64, ""},
        {"64 MB vCard of short lines", "BEGIN:VCARD\n", "X:y\n", 64 * kMB - 64, "END:VCARD\n"},
        {"64 MB vCard of cards", "", "BEGIN:VCARD\nFN:a\nTEL:1\nEND:VCARD\n", 64 * kMB - 64, ""},
    };
    return files;
}

std::string WriteHostile(const ScratchDir& dir, const HostileFile& file) {
    const std::string path = dir.PathOf("hostile.book");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << file.head;
    size_t written = file.head.size();
    while (written + file.piece.size() <= file.size) {
        out << file.piece;
        written += file.piece.size();
    }
    out << file.tail;
    return path;
}

void BM_HostileBook(benchmark::State& state) {
    const HostileFile& file = HostileFiles().at(static_cast<size_t>(state.range(0)));
    state.SetLabel(file.name);
    ScratchDir dir;
    const std::string path = WriteHostile(dir, file);
    auto book = std::make_unique<PhoneBook>();
    PhoneBookLoadOutcome outcome;
    for (auto _ : state) {
        outcome = LoadPhoneBookFile(path, *book);
        benchmark::DoNotOptimize(book->m_nRecords);
    }
    state.counters["entries"] = book->m_nRecords;
    state.counters["refused"] = outcome.result != PhoneBookLoad::Loaded;
    std::fprintf(stderr, "%s: %s\n", file.name,
                 outcome.description.empty() ? "loaded" : outcome.description.c_str());
}
BENCHMARK(BM_HostileBook)->DenseRange(0, 9)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
