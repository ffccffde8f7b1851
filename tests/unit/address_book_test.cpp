// vCard and CSV address books written here, loaded as the program loads a
// phone book file, and checked for what the user sees: the name an incoming
// call shows, the ﾅﾏｴ column and the group column.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "handset/CallerDirectory.h"
#include "phonebook/ListSort.h"
#include "phonebook/PhoneBook.h"
#include "platform/Cp932.h"
#include "support/ScratchDir.h"

namespace {
using namespace std::string_literals;

std::string Sjis(const std::string& utf8) {
    return Utf8ToCp932(utf8);
}

class AddressBookTest : public ::testing::Test {
protected:
    PhoneBookLoadOutcome Load(const std::string& name, const std::string& bytes) {
        m_path = m_dir.Write(name, bytes);
        PhoneBookLoadOutcome outcome = LoadPhoneBookFile(m_path, *m_book);
        m_directory = CallerDirectory::FromPhoneBook(*m_book);
        return outcome;
    }
    // The name line of an incoming call from `number`; "" when nobody has it.
    std::string CallerName(const std::string& number) const {
        const std::string* name = m_directory->NameFor(number);
        return name ? Cp932ToUtf8(*name) : "";
    }
    const CMemoryDial& Record(int i) const { return *m_book->m_records.at(size_t(i)); }
    std::string Reading(int i) const { return Cp932ToUtf8(Record(i).m_strReading); }
    std::string GroupColumn(int i) const {
        return Cp932ToUtf8(GroupLabel(Record(i).m_strGroup, m_book->m_groupNames.data()));
    }

    ScratchDir m_dir;
    std::string m_path;
    std::unique_ptr<PhoneBook> m_book = std::make_unique<PhoneBook>();
    std::shared_ptr<const CallerDirectory> m_directory;
};

struct BookCase {
    const char* what;
    const char* fileName;
    std::string bytes;
    PhoneBookFormat format;
    int records;
    // The first record as the dialog lists it, and who an incoming number names.
    const char* reading;
    const char* group;
    const char* incoming;
    const char* caller;
};

std::vector<BookCase> BookCases() {
    // 2.1 from an older handset's PC tool: Shift_JIS, quoted-printable with a
    // soft line break, the reading in SOUND;X-IRMC-N.
    const std::string v21 =
        "BEGIN:VCARD\r\nVERSION:2.1\r\n"
        "N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=8E=52=93=63;=\r\n=91=BE=98=59;;;\r\n"
        "SOUND;X-IRMC-N;CHARSET=SHIFT_JIS;ENCODING=QUOTED-PRINTABLE:=83=84=83=7D=83=5F;"
        "=83=5E=83=8D=83=45;;;\r\n"
        "TEL;CELL:090-1234-5678\r\nEND:VCARD\r\n";
    // 3.0: several numbers (the second one is called), categories, a folded line.
    const std::string v30 =
        "BEGIN:VCARD\nVERSION:3.0\nFN:Taro Yamada\nN:Yamada;Taro;;;\n"
        "SORT-STRING:やまだ たろう\nTEL;TYPE=WORK:(03) 1234-5678\n"
        "item1.TEL;TYPE=CELL:090-8765-\n 4321\nCATEGORIES:Family,Work\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:3.0\nFN:Hanako\nTEL:0311112222\nCATEGORIES:Work\nEND:VCARD\n";
    // 4.0 in UTF-8 with an international number as a tel: address.
    const std::string v40 =
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:山田花子\r\nX-PHONETIC-LAST-NAME:ヤマダ\r\n"
        "X-PHONETIC-FIRST-NAME:はなこ\r\nTEL;VALUE=uri;TYPE=\"voice,cell\":tel:+81-90-1234-5678\r\n"
        "END:VCARD\r\n";
    const std::string jaCsv =
        "名前,フリガナ,電話番号,携帯,グループ\r\n"
        "山田太郎,やまだたろう,03-1234-5678,\"+81 90-1234-5678\",家族\r\n"
        "佐藤花子,サトウハナコ,,080-1111-2222,友達\r\n";
    const std::string enCsv =
        "First Name,Last Name,Phonetic Last Name,Phonetic First Name,Mobile Phone,Phone 1 - Type,"
        "Home Phone,Categories\n"
        "John,Smith,スミス,ジョン,\"(090) 1234-5678\",Mobile,,\"Work;Friends\"\n";
    return {
        {"vCard 2.1 in Shift_JIS, quoted-printable", "old.vcf", v21, PhoneBookFormat::VCard, 1,
         "ﾔﾏﾀﾞﾀﾛｳ", "000 [not named]", "09012345678", "山田太郎"},
        {"vCard 2.1, quoted-printable Shift_JIS without CHARSET", "nocharset.vcf",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;ENCODING=QUOTED-PRINTABLE:=8E=52=93=63;=91=BE=98=59\r\n"
         "SOUND;X-IRMC-N;ENCODING=QUOTED-PRINTABLE:=D4=CF=C0=DE\r\nTEL;HOME:03-1234-5678\r\n"
         "END:VCARD\r\n",
         PhoneBookFormat::VCard, 1, "ﾔﾏﾀﾞ", "000 [not named]", "0312345678", "山田太郎"},
        {"vCard 3.0, several numbers and categories", "contacts.vcf", v30, PhoneBookFormat::VCard,
         2, "ﾔﾏﾀﾞ ﾀﾛｳ", "001 Family", "09087654321", "Taro Yamada"},
        {"vCard 4.0 in UTF-8 with +81", "new.vcf", v40, PhoneBookFormat::VCard, 1, "ﾔﾏﾀﾞﾊﾅｺ",
         "000 [not named]", "09012345678", "山田花子"},
        {"CSV, Japanese headers, UTF-8 with a byte-order mark", "book.csv", "\xEF\xBB\xBF" + jaCsv,
         PhoneBookFormat::Csv, 2, "ﾔﾏﾀﾞﾀﾛｳ", "001 家族", "09012345678", "山田太郎"},
        {"CSV, Japanese headers, Shift_JIS", "book.txt", Sjis(jaCsv), PhoneBookFormat::Csv, 2,
         "ﾔﾏﾀﾞﾀﾛｳ", "001 家族", "08011112222", "佐藤花子"},
        {"CSV named in Japanese", "電話帳.csv", jaCsv, PhoneBookFormat::Csv, 2, "ﾔﾏﾀﾞﾀﾛｳ",
         "001 家族", "09012345678", "山田太郎"},
        {"vCard 2.1 in EUC-JP, quoted-printable", "euc.vcf",
         "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=EUC-JP;ENCODING=QUOTED-PRINTABLE:=BB=B3=C5=C4;"
         "=C2=C0=CF=BA\r\nSOUND;X-IRMC-N;CHARSET=EUC-JP;ENCODING=QUOTED-PRINTABLE:=A5=E4=A5=DE=A5="
         "C0\r\n"
         "TEL;CELL:090-1234-5678\r\nEND:VCARD\r\n",
         PhoneBookFormat::VCard, 1, "ﾔﾏﾀﾞ", "000 [not named]", "09012345678", "山田太郎"},
        {"CSV, English headers, quoted fields", "google.csv", enCsv, PhoneBookFormat::Csv, 1,
         "ｽﾐｽｼﾞｮﾝ", "001 Work", "09012345678", "Smith John"},
    };
}

TEST_F(AddressBookTest, ReadsWhatTheUserSees) {
    for (const BookCase& c : BookCases()) {
        SCOPED_TRACE(c.what);
        const PhoneBookLoadOutcome outcome = Load(c.fileName, c.bytes);
        EXPECT_EQ(outcome.result, PhoneBookLoad::Loaded) << outcome.description;
        EXPECT_EQ(m_book->m_format, c.format);
        ASSERT_EQ(m_book->m_nRecords, c.records);
        EXPECT_EQ(Reading(0), c.reading);
        EXPECT_EQ(GroupColumn(0), c.group);
        EXPECT_EQ(CallerName(c.incoming), c.caller);
        EXPECT_EQ(CallerName("0120000000"), "");
    }
}

TEST_F(AddressBookTest, KeepsNumbersAsWrittenAndEveryGroupInOrder) {
    ASSERT_EQ(Load("contacts.vcf", BookCases()[2].bytes).result, PhoneBookLoad::Loaded);
    EXPECT_EQ(Record(0).m_strNumber[0], "(03) 1234-5678");
    EXPECT_EQ(Record(0).m_strNumber[1], "090-8765-4321");
    EXPECT_EQ(Record(0).m_strNumberAttr[1], "CELL");
    EXPECT_EQ(CallerName("0312345678"), "Taro Yamada");
    // The second card's only category was the first card's second one.
    EXPECT_EQ(GroupColumn(1), "002 Work");
}

// Memory dial files keep their exact rule: only the first number, byte for
// byte. Address books: any number, by its digits, first card wins.
TEST_F(AddressBookTest, MatchesByDigitsOnlyForAddressBooks) {
    const std::string cards =
        "BEGIN:VCARD\nFN:First\nTEL:03.1111.2222\nTEL:+81 (0)90 1111 2222\n"
        // A 2.1 agent's card inside a card is no entry of its own.
        "AGENT:\nBEGIN:VCARD\nFN:Agent\nTEL:0120-111-222\nEND:VCARD\nEND:VCARD\n"
        "BEGIN:VCARD\nFN:Second\nTEL:0311112222\nTEL:*31#\nEND:VCARD\n";
    ASSERT_EQ(Load("a.vcf", cards).result, PhoneBookLoad::Loaded);
    EXPECT_EQ(CallerName("0311112222"), "First");
    EXPECT_EQ(CallerName("09011112222"), "First");
    EXPECT_EQ(CallerName("*31#"), "Second");
    EXPECT_EQ(CallerName("031111222"), "");
    EXPECT_EQ(CallerName("0120111222"), "");
    EXPECT_EQ(m_book->m_nRecords, 2);
}

struct BadCase {
    const char* what;
    std::string bytes;
    PhoneBookLoad result;
    int recordsKept;
    const char* message;  // after "<path>"
};

std::vector<BadCase> BadCases() {
    const std::string card = "BEGIN:VCARD\nFN:Kept\nTEL:0311112222\nEND:VCARD\n";
    std::string many;
    for (int i = 0; i < MAX_MEMORY_DIAL + 2; ++i) many += card;
    std::string manyGroups;
    const auto repeated = [](const std::string& piece, int times) {
        std::string text;
        text.reserve(piece.size() * size_t(times));
        for (int i = 0; i < times; ++i) text += piece;
        return text;
    };
    const auto commas = [](size_t count) { return std::string(count, ','); };
    for (int g = 1; g <= MAX_GROUP; ++g) {
        manyGroups += "BEGIN:VCARD\nFN:p\nCATEGORIES:g" + std::to_string(g) + "\nEND:VCARD\n";
    }
    return {
        {"a card cut short", card + "BEGIN:VCARD\nFN:Cut\nTEL:09000000000\n",
         PhoneBookLoad::FormatError, 1, ", line 5: the card that begins here has no END:VCARD"},
        {"END without BEGIN", "END:VCARD\n" + card, PhoneBookLoad::FormatError, 1,
         ", line 1: END:VCARD without BEGIN:VCARD"},
        {"a 1 MB line that is no property",
         card + "BEGIN:VCARD\n" + std::string(1 << 20, 'x') + "\nFN:Second\nEND:VCARD\n",
         PhoneBookLoad::FormatError, 2, ", line 6: a line that is no vCard property (no \":\")"},
        {"invalid UTF-8", "BEGIN:VCARD\nFN;CHARSET=UTF-8:ab\xFF\xFE\nEND:VCARD\n" + card,
         PhoneBookLoad::FormatError, 2, ", line 2: bytes that are not valid UTF-8"},
        // One stray Latin-1 byte does not make a UTF-8 book Shift_JIS.
        {"a stray byte in UTF-8",
         card + "BEGIN:VCARD\nFN:山田太郎\nSORT-STRING:やまだたろう\nEND:VCARD\n"
                "BEGIN:VCARD\nFN:Andr\xE9\nEND:VCARD\n",
         PhoneBookLoad::FormatError, 3, ", line 10: bytes that are not valid UTF-8"},
        {"more cards than the book holds", many, PhoneBookLoad::CountError, MAX_MEMORY_DIAL, ""},
        {"more groups than the book holds", manyGroups, PhoneBookLoad::FormatError, MAX_GROUP,
         ", line 197: more than 49 groups; the entries of the groups after them are listed in "
         "group 0"},
        {"CSV without a name and a phone column", "Company,Email\nACME,a@b.c\n",
         PhoneBookLoad::FormatError, 0,
         ", line 1: no name and phone columns in the first line (looked for a name column: 名前"},
        {"CSV with a quote that never closes", "Name,Phone\nA,1\nB,\"2\n3\n",
         PhoneBookLoad::FormatError, 2, ", line 3: a quoted field that never ends"},
        // Read as a memory dial file, whose count it cannot be.
        {"binary bytes", "\x01\x02\x03\x04\xFF\xFE"s, PhoneBookLoad::CountError, 0, ""},
        // Bounded however large: a row or property beyond the bounds is left
        // out with its line, and reading goes on.
        {"a CSV first line of a million columns", "Name,Phone" + commas(1000000) + "\n",
         PhoneBookLoad::FormatError, 0, ", line 1: more than 1000 columns in one row"},
        {"a CSV row of 8 MB of commas", "Name,Phone\nA,1\n" + commas(8 << 20) + "\nB,2\n",
         PhoneBookLoad::FormatError, 2, ", line 3: more than 1000 columns in one row"},
        {"a CSV row longer than 1 MB", "Name,Phone\nA,\"" + std::string(1 << 21, '1') + "\"\nB,2\n",
         PhoneBookLoad::FormatError, 1, ", line 2: a row longer than 1 MB"},
        {"a vCard number of a million parameters",
         "BEGIN:VCARD\nFN:Kept\nTEL" + repeated(";X", 1000000) + ":1\nEND:VCARD\n",
         PhoneBookLoad::FormatError, 1,
         ", line 3: more than 100 parameters in one property (left out)"},
        {"a vCard property of 17 MB in folded lines",
         "BEGIN:VCARD\nFN:Kept\nPHOTO:" + repeated(std::string(1 << 20, 'A') + "\n ", 17) +
             "\nEND:VCARD\n",
         PhoneBookLoad::FormatError, 1, ", line 3: a property longer than 16 MB (left out)"},
        {"a CSV without entries", "Name,Phone\n,\n\n", PhoneBookLoad::FormatError, 0,
         ": no entry in it (nothing with a name or a number)"},
        {"a vCard of empty cards", "BEGIN:VCARD\nEND:VCARD\nBEGIN:VCARD\nNOTE:x\nEND:VCARD\n",
         PhoneBookLoad::FormatError, 0, ": no entry in it (nothing with a name or a number)"},
    };
}

TEST_F(AddressBookTest, BadInputKeepsWhatWasReadAndSaysWhere) {
    const std::vector<BadCase> cases = BadCases();
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.what);
        const PhoneBookLoadOutcome outcome = Load("bad.vcf", c.bytes);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(m_book->m_nRecords, c.recordsKept);
        if (*c.message) {
            EXPECT_EQ(outcome.description.rfind(m_path + c.message, 0), 0u) << outcome.description;
        }
    }
    ASSERT_EQ(Load("stray.vcf", cases[4].bytes).result, PhoneBookLoad::FormatError);
    EXPECT_EQ(Cp932ToUtf8(Record(1).m_strName), "山田太郎");
    // The cards before the problem name their callers.
    ASSERT_EQ(Load("bad.vcf", cases[0].bytes).result, PhoneBookLoad::FormatError);
    EXPECT_EQ(CallerName("0311112222"), "Kept");
    EXPECT_EQ(CallerName("09000000000"), "");

    // Larger than any address book: refused before a byte is taken apart.
    Load("big.csv", "Name,Phone\nBig,1\n");
    std::filesystem::resize_file(m_path, (64u << 20) + 1);
    const PhoneBookLoadOutcome big = LoadPhoneBookFile(m_path, *m_book);
    EXPECT_EQ(big.result, PhoneBookLoad::FormatError);
    EXPECT_EQ(big.description,
              m_path + ": larger than 64 MB, more than any address book; not read");
    EXPECT_EQ(m_book->m_nRecords, 0);
}

}  // namespace
