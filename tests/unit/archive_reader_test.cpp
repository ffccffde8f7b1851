// The archive reader: integers, the three length forms of archived strings
// and the wide form, from memory and from files, and how it refuses lengths
// that the data cannot hold without allocating for them.

#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "phonebook/ArchiveReader.h"
#include "phonebook/PhoneBook.h"
#include "support/FaultyStream.h"
#include "support/ScratchDir.h"

// Every allocation through operator new is sized here, so a test can see the
// largest request a read made. Requests beyond 1 GiB are refused outright.
namespace {
std::atomic<size_t> g_largestRequest{0};
}

void* operator new(size_t size) {
    size_t seen = g_largestRequest.load();
    while (size > seen && !g_largestRequest.compare_exchange_weak(seen, size)) {
    }
    if (size > (size_t{1} << 30)) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
// The replacement new above takes its memory from malloc, so free is the match;
// GCC cannot see that once these are inlined into their callers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop

namespace {
using namespace std::string_literals;

struct StringCase {
    const char* what;
    std::string bytes;
    ArchiveStatus status;
    std::string expected;
};

std::vector<StringCase> StringCases() {
    return {
        {"empty text", "\x00"s, ArchiveStatus::Ok, ""},
        {"one-byte length", "\x03"s + "abc", ArchiveStatus::Ok, "abc"},
        {"longest one-byte length", "\xFE"s + std::string(254, 'a'), ArchiveStatus::Ok,
         std::string(254, 'a')},
        {"255 bytes after FF FF 00", "\xFF\xFF\x00"s + std::string(255, 'b'), ArchiveStatus::Ok,
         std::string(255, 'b')},
        {"short text in the 16-bit form", "\xFF\x03\x00"s + "abc", ArchiveStatus::Ok, "abc"},
        {"longest 16-bit length", "\xFF\xFD\xFF"s + std::string(65533, 'c'), ArchiveStatus::Ok,
         std::string(65533, 'c')},
        {"65534 bytes in the 32-bit form",
         "\xFF\xFF\xFF\xFE\xFF\x00\x00"s + std::string(65534, 'd'), ArchiveStatus::Ok,
         std::string(65534, 'd')},
        {"short text in the 32-bit form", "\xFF\xFF\xFF\x02\x00\x00\x00"s + "hi", ArchiveStatus::Ok,
         "hi"},
        {"wide ASCII", "\xFF\xFE\xFF\x02"s + "A\0B\0"s, ArchiveStatus::Ok, "AB"},
        {"wide kanji to code page 932", "\xFF\xFE\xFF\x02\x71\x5C\x30\x75"s, ArchiveStatus::Ok,
         "\x8E\x52\x93\x63"},
        {"wide half-width katakana", "\xFF\xFE\xFF\x01\x71\xFF"s, ArchiveStatus::Ok, "\xB1"},
        {"wide empty", "\xFF\xFE\xFF\x00"s, ArchiveStatus::Ok, ""},
        {"wide with 16-bit length",
         "\xFF\xFE\xFF\xFF\x00\x01"s +
             [] {
                 std::string s;
                 for (int i = 0; i < 256; ++i) s += "x\0"s;
                 return s;
             }(),
         ArchiveStatus::Ok, std::string(256, 'x')},
        {"wide with 32-bit length", "\xFF\xFE\xFF\xFF\xFF\xFF\x01\x00\x00\x00"s + "Z\0"s,
         ArchiveStatus::Ok, "Z"},
        {"nothing at all", "", ArchiveStatus::EndOfFile, ""},
        {"text shorter than its length", "\x05"s + "ab", ArchiveStatus::EndOfFile, ""},
        {"16-bit length missing", "\xFF"s, ArchiveStatus::EndOfFile, ""},
        {"16-bit length cut short", "\xFF\xFF"s, ArchiveStatus::EndOfFile, ""},
        {"32-bit length cut short", "\xFF\xFF\xFF\x10\x00"s, ArchiveStatus::EndOfFile, ""},
        {"wide marker twice", "\xFF\xFE\xFF\xFF\xFE\xFF\x01"s + "a\0"s, ArchiveStatus::BadLength,
         ""},
        {"wide text cut inside a unit", "\xFF\xFE\xFF\x02"s + "A\0B"s, ArchiveStatus::EndOfFile,
         ""},
        {"4 GiB claim in a 100-byte file", "\xFF\xFF\xFF\xFF\xFF\xFF\xFF"s + std::string(93, 'e'),
         ArchiveStatus::EndOfFile, ""},
        {"8 GiB wide claim", "\xFF\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"s + std::string(90, 'f'),
         ArchiveStatus::EndOfFile, ""},
    };
}

void ExpectReads(ArchiveReader& reader, const StringCase& c) {
    std::string text = "previous";
    EXPECT_EQ(reader.ReadString(text), c.status == ArchiveStatus::Ok);
    EXPECT_EQ(reader.Status(), c.status);
    EXPECT_EQ(text, c.expected);
}

TEST(ArchiveReaderTest, ReadsStringsFromMemory) {
    for (const StringCase& c : StringCases()) {
        SCOPED_TRACE(c.what);
        ArchiveReader reader(c.bytes.data(), c.bytes.size());
        ExpectReads(reader, c);
    }
}

TEST(ArchiveReaderTest, ReadsStringsFromFiles) {
    ScratchDir dir;
    for (const StringCase& c : StringCases()) {
        SCOPED_TRACE(c.what);
        std::FILE* file = std::fopen(dir.Write("s.mdd", c.bytes).c_str(), "rb");
        ASSERT_NE(file, nullptr);
        ArchiveReader reader(file);
        ExpectReads(reader, c);
        std::fclose(file);
    }
}

TEST(ArchiveReaderTest, ReadsStringsFromPipesInSteps) {
    ScratchDir dir;
    for (const StringCase& c : StringCases()) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.Write("s.mdd", c.bytes);
        std::FILE* pipe = popen(("cat '" + path + "'").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        ArchiveReader reader(pipe);
        ExpectReads(reader, c);
        pclose(pipe);
    }
    // Longer than one reading step, so the text is put together from pieces.
    const std::string big(300 * 1024, 'g');
    const std::string path = dir.Write("big.mdd", "\xFF\xFF\xFF"s + "\x00\xB0\x04\x00"s + big);
    std::FILE* pipe = popen(("cat '" + path + "'").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    ArchiveReader reader(pipe);
    std::string text;
    EXPECT_TRUE(reader.ReadString(text));
    EXPECT_EQ(text, big);
    pclose(pipe);
}

TEST(ArchiveReaderTest, ReadsLittleEndianIntegers) {
    const std::string bytes = "\x01\x00\x00\x00\xFF\xFF\xFF\xFF\x00\x00\x00\x80\x88\x13\x00"s;
    ArchiveReader reader(bytes.data(), bytes.size());
    int32_t value = 0;
    ASSERT_TRUE(reader.ReadInt32(value));
    EXPECT_EQ(value, 1);
    ASSERT_TRUE(reader.ReadInt32(value));
    EXPECT_EQ(value, -1);
    ASSERT_TRUE(reader.ReadInt32(value));
    EXPECT_EQ(value, INT32_MIN);
    EXPECT_FALSE(reader.ReadInt32(value));  // three bytes left
    EXPECT_EQ(reader.Status(), ArchiveStatus::EndOfFile);
}

TEST(ArchiveReaderTest, FirstFailureSticks) {
    // A bad prefix, then data that would read well on its own.
    const std::string bytes = "\xFF\xFE\xFF\xFF\xFE\xFF"s + "\x01\x00\x00\x00\x01x"s;
    ArchiveReader reader(bytes.data(), bytes.size());
    std::string text;
    int32_t value = 0;
    EXPECT_FALSE(reader.ReadString(text));
    EXPECT_FALSE(reader.ReadInt32(value));
    EXPECT_FALSE(reader.ReadString(text));
    EXPECT_EQ(reader.Status(), ArchiveStatus::BadLength);
}

TEST(ArchiveReaderTest, FailingFileSystemIsAReadError) {
    std::FILE* stream = OpenFaultyStream("\x02\x00\x00\x00\x05hello"s, 7);
    ASSERT_NE(stream, nullptr);
    ArchiveReader reader(stream);
    int32_t value = 0;
    std::string text;
    EXPECT_TRUE(reader.ReadInt32(value));
    EXPECT_FALSE(reader.ReadString(text));
    EXPECT_EQ(reader.Status(), ArchiveStatus::ReadError);
    std::fclose(stream);
}

TEST(ArchiveReaderTest, SeesAFileGrowWhileItIsRead) {
    ScratchDir dir;
    const std::string path = dir.Write("g.mdd", "\x05");
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    ArchiveReader reader(file);
    {
        std::FILE* append = std::fopen(path.c_str(), "ab");
        ASSERT_NE(append, nullptr);
        std::fputs("hello", append);
        std::fclose(append);
    }
    std::string text;
    EXPECT_TRUE(reader.ReadString(text));
    EXPECT_EQ(text, "hello");
    std::fclose(file);
}

// A 4 GiB claim over 100 bytes is refused without asking for the 4 GiB. Where
// the end cannot be known (a pipe) reading goes in small steps instead.
TEST(ArchiveReaderTest, HugeLengthClaimsAllocateNothingLikeThem) {
    ScratchDir dir;
    const std::string claim = "\xFF\xFF\xFF\xFF\xFF\xFF\xFF"s + std::string(93, 'e');
    const std::string wideClaim =
        "\xFF\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"s + std::string(90, 'f');
    const std::string path = dir.Write("claim.mdd", claim);
    const std::string widePath = dir.Write("wide.mdd", wideClaim);
    constexpr size_t kKnownEndLimit = 4 * 1024;
    constexpr size_t kStepLimit = 128 * 1024;

    auto largestWhile = [](auto&& read) {
        g_largestRequest = 0;
        read();
        return g_largestRequest.load();
    };
    std::string text;
    EXPECT_LT(largestWhile([&] {
                  ArchiveReader reader(claim.data(), claim.size());
                  EXPECT_FALSE(reader.ReadString(text));
              }),
              kKnownEndLimit);
    for (const std::string& p : {path, widePath}) {
        SCOPED_TRACE(p);
        std::FILE* file = std::fopen(p.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        EXPECT_LT(largestWhile([&] {
                      ArchiveReader reader(file);
                      EXPECT_FALSE(reader.ReadString(text));
                      EXPECT_EQ(reader.Status(), ArchiveStatus::EndOfFile);
                  }),
                  kKnownEndLimit);
        std::fclose(file);

        std::FILE* pipe = popen(("cat '" + p + "'").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        EXPECT_LT(largestWhile([&] {
                      ArchiveReader reader(pipe);
                      EXPECT_FALSE(reader.ReadString(text));
                      EXPECT_EQ(reader.Status(), ArchiveStatus::EndOfFile);
                  }),
                  kStepLimit);
        pclose(pipe);
    }

    // The whole load: one record whose first field claims 4 GiB.
    const std::string book = dir.Write("book.mdd", "\x01\x00\x00\x00"s + claim);
    auto phoneBook = std::make_unique<PhoneBook>();
    PhoneBookLoadOutcome outcome;
    EXPECT_LT(largestWhile([&] { outcome = LoadPhoneBookFile(book, *phoneBook); }), kKnownEndLimit);
    EXPECT_EQ(outcome.result, PhoneBookLoad::FileError);
    EXPECT_EQ(phoneBook->m_nRecords, 0);
}

}  // namespace
