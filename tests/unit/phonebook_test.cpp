// Loading memory dial data files written here: the record fields and their
// rules, the limits, and every outcome of a load that goes wrong.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "phonebook/ArchiveReader.h"
#include "phonebook/PhoneBook.h"
#include "phonebook/PhoneBookReread.h"
#include "support/FaultyStream.h"
#include "support/PhoneBookWriter.h"
#include "support/ScratchDir.h"

namespace {
using namespace std::string_literals;

CMemoryDial Person(const std::string& name, const std::string& number,
                   const std::string& group = "1") {
    CMemoryDial r;
    r.m_strName = name;
    r.m_strNumber[0] = number;
    r.m_strGroup = group;
    return r;
}

std::vector<CMemoryDial> People(int count) {
    std::vector<CMemoryDial> people;
    for (int i = 0; i < count; ++i) {
        people.push_back(Person("name" + std::to_string(i), "0900000" + std::to_string(i)));
    }
    return people;
}

std::vector<GroupName> Groups(int count) {
    std::vector<GroupName> groups;
    for (int i = 0; i < count; ++i) {
        groups.push_back({"first" + std::to_string(i), "second" + std::to_string(i)});
    }
    return groups;
}

class PhoneBookTest : public ::testing::Test {
protected:
    PhoneBookLoadOutcome Load(const std::string& bytes) {
        m_path = m_dir.Write("book.mdd", bytes);
        return LoadPhoneBookFile(m_path, *m_book);
    }
    void SetUp() override { FillBook(); }
    // Fills the book first, so that every test also sees it replaced.
    void FillBook() {
        PhoneBookWriter writer;
        writer.Raw(PhoneBookBytes(People(3), Groups(5)));
        ASSERT_EQ(LoadPhoneBookFile(m_dir.Write("old.mdd", writer.Bytes()), *m_book).result,
                  PhoneBookLoad::Loaded);
        ASSERT_EQ(m_book->m_nRecords, 3);
    }
    int GroupsRead() const {
        int n = 0;
        while (n < MAX_GROUP && !m_book->m_groupNames[n].first.empty()) ++n;
        for (int g = n; g < MAX_GROUP; ++g) {
            EXPECT_EQ(m_book->m_groupNames[g].first, "") << g;
            EXPECT_EQ(m_book->m_groupNames[g].second, "") << g;
        }
        return n;
    }

    ScratchDir m_dir;
    std::string m_path;
    std::unique_ptr<PhoneBook> m_book = std::make_unique<PhoneBook>();
};

struct LoadCase {
    const char* what;
    std::string bytes;
    PhoneBookLoad result;
    int records;
    int groups;
    const char* description;  // with "%s" for the path; "" for none
};

std::string Cut(const std::string& bytes, size_t drop) {
    return bytes.substr(0, bytes.size() - drop);
}

std::vector<LoadCase> LoadCases() {
    const std::string threePeople = PhoneBookBytes(People(3), {});
    const std::string noGroups = "\x00\x00\x00\x00"s;
    PhoneBookWriter badPrefix;
    badPrefix.Int32(2).Record(Person("kept", "1")).Raw("\xFF\xFE\xFF\xFF\xFE\xFF");
    PhoneBookWriter cutInGroups;
    cutInGroups.Int32(2).Record(Person("a", "1")).Record(Person("b", "2")).Int32(3);
    cutInGroups.Group({"g0", "h0"}).String("g1");
    PhoneBookWriter sixtyGroups;
    sixtyGroups.Int32(0).Int32(60);
    for (const GroupName& g : Groups(50)) sixtyGroups.Group(g);
    sixtyGroups.Raw("\xFF\xFF\xFF\xFF\xFF\xFF\xFF");  // never reached
    PhoneBookWriter negative;
    negative.Int32(-3).Int32(2).Group({"x", ""}).Group({"y", ""});
    PhoneBookWriter negativeGroups;
    negativeGroups.Int32(1).Record(Person("a", "1")).Int32(-1).Group({"never", "read"});
    PhoneBookWriter hugeClaim;
    hugeClaim.Int32(1).LengthPrefix(0xFFFFFFFF, LengthForm::FourByte).Raw(std::string(89, 'z'));

    const char* pastEnd = "Attempted to read past the end of %s.";
    const char* tooMany = "%s: more than 5000 records; none were read";
    return {
        {"eight zero bytes", "\x00\x00\x00\x00\x00\x00\x00\x00"s, PhoneBookLoad::Loaded, 0, 0, ""},
        {"records and groups", PhoneBookBytes(People(3), Groups(2)), PhoneBookLoad::Loaded, 3, 2,
         ""},
        {"bytes after the last group", PhoneBookBytes(People(1), Groups(1)) + "junk",
         PhoneBookLoad::Loaded, 1, 1, ""},
        {"negative record count reads none", negative.Bytes(), PhoneBookLoad::Loaded, 0, 2, ""},
        {"negative group count", negativeGroups.Bytes(), PhoneBookLoad::Loaded, 1, 0, ""},
        {"60 groups read as 50", sixtyGroups.Bytes(), PhoneBookLoad::Loaded, 0, 50, ""},
        {"5001 records announced", "\x89\x13\x00\x00"s + threePeople.substr(4),
         PhoneBookLoad::CountError, 0, 0, tooMany},
        {"huge record count", "\xFF\xFF\xFF\x7F"s, PhoneBookLoad::CountError, 0, 0, tooMany},
        {"empty file", "", PhoneBookLoad::FileError, 0, 0, pastEnd},
        {"record count cut short", "\x01\x00"s, PhoneBookLoad::FileError, 0, 0, pastEnd},
        {"group count missing", threePeople.substr(0, threePeople.size() - 4),
         PhoneBookLoad::FileError, 3, 0, pastEnd},
        {"cut inside the third record", Cut(threePeople, 4 + 12), PhoneBookLoad::FileError, 2, 0,
         pastEnd},
        {"cut inside a length prefix", "\x01\x00\x00\x00\x00\xFF\xFF"s, PhoneBookLoad::FileError, 0,
         0, pastEnd},
        {"cut inside the second group", cutInGroups.Bytes(), PhoneBookLoad::FileError, 2, 1,
         pastEnd},
        {"bad length prefix", badPrefix.Bytes(), PhoneBookLoad::FileError, 1, 0,
         "An invalid length prefix was found while reading %s."},
        {"length claim beyond the file", hugeClaim.Bytes(), PhoneBookLoad::FileError, 0, 0,
         pastEnd},
    };
}

TEST_F(PhoneBookTest, EveryOutcomeOfALoad) {
    for (const LoadCase& c : LoadCases()) {
        SCOPED_TRACE(c.what);
        const PhoneBookLoadOutcome outcome = Load(c.bytes);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(m_book->m_nRecords, c.records);
        EXPECT_EQ(GroupsRead(), c.groups);
        std::string description = c.description;
        if (const size_t at = description.find("%s"); at != std::string::npos) {
            description.replace(at, 2, m_path);
        }
        EXPECT_EQ(outcome.description, description);
        for (int i = 0; i < MAX_MEMORY_DIAL; ++i) {
            ASSERT_EQ(m_book->m_records[i] != nullptr, i < c.records) << i;
        }
        // The records kept are the complete ones, in file order.
        for (int i = 0; i < c.records && c.records < 10; ++i) {
            EXPECT_FALSE(m_book->m_records[i]->m_strName.empty());
        }
        FillBook();
    }
}

TEST_F(PhoneBookTest, FileThatCannotBeOpenedEmptiesTheBook) {
    for (const std::string& path : {m_dir.PathOf("missing.mdd"), m_dir.Path()}) {
        SCOPED_TRACE(path);
        FillBook();
        const PhoneBookLoadOutcome outcome = LoadPhoneBookFile(path, *m_book);
        EXPECT_EQ(outcome.result, PhoneBookLoad::OpenError);
        EXPECT_EQ(m_book->m_nRecords, 0);
        EXPECT_EQ(m_book->m_records[0], nullptr);
        EXPECT_EQ(GroupsRead(), 0);
    }
}

TEST_F(PhoneBookTest, FailingFileSystemKeepsTheRecordsBeforeIt) {
    const std::string bytes = PhoneBookBytes(People(3), Groups(2));
    // Somewhere inside the third record.
    std::FILE* stream = OpenFaultyStream(bytes, bytes.size() - 40);
    ASSERT_NE(stream, nullptr);
    ArchiveReader archive(stream);
    EXPECT_EQ(ReadPhoneBook(archive, *m_book), PhoneBookLoad::FileError);
    EXPECT_EQ(archive.Status(), ArchiveStatus::ReadError);
    EXPECT_EQ(m_book->m_nRecords, 2);
    EXPECT_EQ(m_book->m_records[1]->m_strName, "name1");
    EXPECT_EQ(GroupsRead(), 0);
    std::fclose(stream);
    EXPECT_EQ(DescribeArchiveFailure(ArchiveStatus::ReadError, "/x/book.mdd"),
              "An unexpected error occurred while reading /x/book.mdd.");
}

TEST_F(PhoneBookTest, LoadsTheLimitAndNoMore) {
    const std::vector<CMemoryDial> full = People(MAX_MEMORY_DIAL);
    EXPECT_EQ(Load(PhoneBookBytes(full, Groups(MAX_GROUP))).result, PhoneBookLoad::Loaded);
    EXPECT_EQ(m_book->m_nRecords, MAX_MEMORY_DIAL);
    EXPECT_EQ(m_book->m_records[MAX_MEMORY_DIAL - 1]->m_strName, "name4999");
    EXPECT_EQ(m_book->m_groupNames[MAX_GROUP - 1].second, "second49");

    std::vector<CMemoryDial> tooMany = full;
    tooMany.push_back(Person("one more", "1"));
    EXPECT_EQ(Load(PhoneBookBytes(tooMany, {})).result, PhoneBookLoad::CountError);
    EXPECT_EQ(m_book->m_nRecords, 0);
    EXPECT_EQ(m_book->m_records[0], nullptr);
}

TEST_F(PhoneBookTest, ReadsTheFieldsInFileOrder) {
    PhoneBookWriter writer;
    writer.Int32(1);
    for (int field = 1; field <= 37; ++field) writer.String("f" + std::to_string(field));
    writer.Int32(0);
    ASSERT_EQ(Load(writer.Bytes()).result, PhoneBookLoad::Loaded);

    const CMemoryDial& r = *m_book->m_records[0];
    EXPECT_TRUE(r.m_bSecret);
    EXPECT_EQ(r.m_strIndex1, "f2");
    EXPECT_EQ(r.m_strIndex2, "f3");
    EXPECT_EQ(r.m_strReading, "f4");
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(r.m_strNumber[i], "f" + std::to_string(5 + 2 * i));
        EXPECT_EQ(r.m_strNumberAttr[i], "f" + std::to_string(6 + 2 * i));
        EXPECT_EQ(r.m_strItem[i], "f" + std::to_string(25 + i));
    }
    EXPECT_EQ(r.m_strExtra, "f35");
    EXPECT_EQ(r.m_strGroup, "f36");  // reads as 0, a valid group
    EXPECT_EQ(r.m_strName, "f37");
}

struct FieldRuleCase {
    std::string secret, index, group;
    bool expectSecret;
    std::string expectIndex, expectGroup;
};

TEST_F(PhoneBookTest, AppliesTheIndexGroupAndSecretRules) {
    const FieldRuleCase cases[] = {
        {"", "4999", "49", false, "4999", "49"}, {"secret", "5000", "50", true, "", "0"},
        {"x", "12345", "75", true, "", "0"},     {"", "99999999999", "-1", false, "", "0"},
        {"", "-1", "0", false, "-1", "0"},       {"", "", "", false, "", ""},
        {"", " 5000", "7x", false, "", "7x"},    {"", "4999abc", "+12", false, "4999abc", "+12"},
    };
    for (const FieldRuleCase& c : cases) {
        SCOPED_TRACE(c.index + " / " + c.group);
        CMemoryDial r = Person("n", "1", c.group);
        r.m_strIndex1 = c.index;
        r.m_strIndex2 = c.index;
        PhoneBookWriter writer;
        writer.Int32(1).Record(r).Int32(0);
        // Record() writes "secret" for any secret entry; put the marker in as asked.
        std::string bytes = writer.Bytes();
        bytes.replace(4, 1, std::string(1, static_cast<char>(c.secret.size())) + c.secret);
        ASSERT_EQ(Load(bytes).result, PhoneBookLoad::Loaded);
        const CMemoryDial& loaded = *m_book->m_records[0];
        EXPECT_EQ(loaded.m_bSecret, c.expectSecret);
        EXPECT_EQ(loaded.m_strIndex1, c.expectIndex);
        EXPECT_EQ(loaded.m_strIndex2, c.expectIndex);
        EXPECT_EQ(loaded.m_strGroup, c.expectGroup);
    }
}

TEST_F(PhoneBookTest, ReadsEveryStringForm) {
    const std::string long255(255, 'L');
    const std::string long65534(65534, 'M');
    PhoneBookWriter writer;
    writer.Int32(1).String("");                      // secret marker
    writer.String("12", LengthForm::TwoByte);        // index 1
    writer.String("34", LengthForm::FourByte);       // index 2
    writer.WideString(u"\uFF94\uFF8F\uFF80\uFF9E");  // reading: ﾔﾏﾀﾞ
    writer.String("09012345678").String(long255);    // number 0 and its attribute
    writer.WideString(u"0312345678", LengthForm::TwoByte).String(long65534);
    for (int i = 2; i < 10; ++i) writer.String("").String("");
    for (int i = 0; i < 10; ++i) writer.String("");
    writer.String("").String("3").WideString(u"\u5C71\u7530\u592A\u90CE");  // 山田太郎
    writer.Int32(1).WideString(u"\u53CB\u4EBA").String("");                 // 友人
    ASSERT_EQ(Load(writer.Bytes()).result, PhoneBookLoad::Loaded);

    const CMemoryDial& r = *m_book->m_records[0];
    EXPECT_EQ(r.m_strIndex1, "12");
    EXPECT_EQ(r.m_strIndex2, "34");
    EXPECT_EQ(r.m_strReading, "\xD4\xCF\xC0\xDE");
    EXPECT_EQ(r.m_strNumberAttr[0], long255);
    EXPECT_EQ(r.m_strNumber[1], "0312345678");
    EXPECT_EQ(r.m_strNumberAttr[1], long65534);
    EXPECT_EQ(r.m_strGroup, "3");
    EXPECT_EQ(r.m_strName, "\x8E\x52\x93\x63\x91\xBE\x98\x59");
    EXPECT_EQ(m_book->m_groupNames[0].first, "\x97\x46\x90\x6C");
}

TEST(PhoneBookWriterTest, WritesA255ByteTextAfterFFFF00) {
    PhoneBookWriter writer;
    writer.String(std::string(254, 'a')).String(std::string(255, 'b'));
    writer.String(std::string(65533, 'c')).String(std::string(65534, 'd'));
    const std::string& bytes = writer.Bytes();
    size_t at = 0;
    EXPECT_EQ(bytes.substr(at, 1), "\xFE"s);
    at += 1 + 254;
    EXPECT_EQ(bytes.substr(at, 3), "\xFF\xFF\x00"s);
    at += 3 + 255;
    EXPECT_EQ(bytes.substr(at, 3), "\xFF\xFD\xFF"s);
    at += 3 + 65533;
    EXPECT_EQ(bytes.substr(at, 7), "\xFF\xFF\xFF\xFE\xFF\x00\x00"s);
    EXPECT_EQ(bytes.size(), at + 7 + 65534);
}

TEST_F(PhoneBookTest, FindsTheFirstRecordWithTheNumber) {
    std::vector<CMemoryDial> people = {Person("first", "0311112222"), Person("other", "0900"),
                                       Person("second", "0311112222")};
    people[1].m_strNumber[1] = "0355556666";
    ASSERT_EQ(Load(PhoneBookBytes(people, {})).result, PhoneBookLoad::Loaded);

    const CMemoryDial* found = m_book->FindByNumber("0311112222");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->m_strName, "first");
    EXPECT_EQ(m_book->FindByNumber("0355556666"), nullptr);  // only the first number counts
    EXPECT_EQ(m_book->FindByNumber("031111222"), nullptr);
    m_book->Clear();
    EXPECT_EQ(m_book->FindByNumber("0311112222"), nullptr);
}

// A phone book that changed on disk: taken whenever it yields entries (also
// when read in part), kept otherwise; the line says what, where and why.
TEST(PhoneBookRereadTest, TakesWhatHasEntriesAndSaysWhatWasReadAndWhy) {
    struct Case {
        PhoneBookLoadOutcome outcome;
        int read;
        bool replace;
        const char* message;
    };
    const std::string more = "/b.vcf: more than 5000 entries; the first 5000 were read";
    const Case cases[] = {
        {{PhoneBookLoad::Loaded, ""}, 3, true, ""},
        {{PhoneBookLoad::CountError, more},
         5000,
         true,
         "the changed phone book /b.vcf: read in part (5000 entries, taken in place of the 4 "
         "loaded): /b.vcf: more than 5000 entries; the first 5000 were read"},
        {{PhoneBookLoad::FormatError, "/b.vcf, line 9: a quoted field that never ends"},
         1,
         true,
         "the changed phone book /b.vcf: read in part (1 entry, taken in place of the 4 loaded): "
         "/b.vcf, line 9: a quoted field that never ends"},
        {{PhoneBookLoad::FormatError, "/b.vcf: no entry in it"},
         0,
         false,
         "the changed phone book /b.vcf: not taken (no entry read; the 4 entries loaded stay): "
         "/b.vcf: no entry in it"},
        {{PhoneBookLoad::OpenError, "/b.vcf: No such file or directory"},
         0,
         false,
         "the changed phone book /b.vcf: not taken (no entry read; the 4 entries loaded stay): "
         "/b.vcf: No such file or directory"},
    };
    for (const Case& c : cases) {
        const PhoneBookReread reread = JudgeReread("/b.vcf", c.outcome, c.read, 4);
        EXPECT_EQ(reread.replace, c.replace) << c.message;
        EXPECT_EQ(reread.message, c.message);
    }
}

}  // namespace
