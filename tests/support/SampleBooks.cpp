#include "SampleBooks.h"

#include <random>
#include <string>

#include "platform/Cp932.h"

namespace {

struct NamePart {
    const char* written;  // UTF-8 here, code page 932 in the book
    const char* reading;  // half-width katakana
};

CMemoryDial Entry(const char* name, const char* reading, const char* group,
                  std::vector<std::string> numbers) {
    CMemoryDial r;
    r.m_strName = Utf8ToCp932(name);
    r.m_strReading = Utf8ToCp932(reading);
    r.m_strGroup = group;
    for (size_t i = 0; i < numbers.size() && i < 10; ++i) {
        r.m_strNumber[i] = numbers[i];
        r.m_strNumberAttr[i] = std::to_string(i);
    }
    return r;
}

GroupName Group(const char* first, const char* second) {
    return {Utf8ToCp932(first), Utf8ToCp932(second)};
}

}  // namespace

SampleBook DemoBook() {
    SampleBook book;
    book.records = {
        Entry("山田太郎", "ﾔﾏﾀﾞﾀﾛｳ", "1", {"09012345678", "0312340000"}),
        Entry("佐藤花子", "ｻﾄｳﾊﾅｺ", "1", {"08011112222", "0455551234"}),
        Entry("株式会社テルヴォクサ", "ﾃﾙｳﾞｫｸｻ", "2", {"0312345678", "0312345679"}),
        Entry("鈴木一郎", "ｽｽﾞｷｲﾁﾛｳ", "2", {"09098765432"}),
        Entry("高橋美咲", "ﾀｶﾊｼﾐｻｷ", "3", {"07033334444", "0667778888", "09055556666"}),
        Entry("田中健", "ﾀﾅｶｹﾝ", "3", {"0525551212", "09011223344"}),
        Entry("自宅", "ｼﾞﾀｸ", "0", {"0422123456"}),
        Entry("伊藤さくら", "ｲﾄｳｻｸﾗ", "1", {"09077778888"}),
    };
    book.records[0].m_strIndex1 = "1";
    book.records[1].m_strIndex1 = "2";
    book.records[5].m_bSecret = true;
    book.records[6].m_strIndex1 = "0";
    book.groups = {
        Group("未分類", ""),
        Group("友人", "ﾕｳｼﾞﾝ"),
        Group("", "ｼｺﾞﾄ"),
        Group("家族", "ｶｿﾞｸ"),
    };
    return book;
}

SampleBook GeneratedBook(int count, uint32_t seed) {
    static const NamePart kFamily[] = {
        {"山田", "ﾔﾏﾀﾞ"},  {"佐藤", "ｻﾄｳ"},     {"鈴木", "ｽｽﾞｷ"},  {"高橋", "ﾀｶﾊｼ"},
        {"田中", "ﾀﾅｶ"},   {"渡辺", "ﾜﾀﾅﾍﾞ"},   {"伊藤", "ｲﾄｳ"},   {"中村", "ﾅｶﾑﾗ"},
        {"小林", "ｺﾊﾞﾔｼ"}, {"長谷川", "ﾊｾｶﾞﾜ"}, {"佐々木", "ｻｻｷ"}, {"五十嵐", "ｲｶﾞﾗｼ"},
    };
    static const NamePart kGiven[] = {
        {"太郎", "ﾀﾛｳ"}, {"花子", "ﾊﾅｺ"},      {"健", "ｹﾝ"},      {"一郎", "ｲﾁﾛｳ"},
        {"美咲", "ﾐｻｷ"}, {"翔太", "ｼｮｳﾀ"},     {"愛", "ｱｲ"},      {"大輔", "ﾀﾞｲｽｹ"},
        {"陽菜", "ﾋﾅ"},  {"健一郎", "ｹﾝｲﾁﾛｳ"}, {"由美子", "ﾕﾐｺ"}, {"誠", "ﾏｺﾄ"},
    };
    static const char* const kNote[] = {"", "", "", "　会社", "　自宅", "　携帯"};
    static const char* const kArea[] = {"03", "06", "045", "052", "011", "092"};
    static const char* const kMobile[] = {"090", "080", "070"};

    std::mt19937 random(seed);
    auto pick = [&random](size_t n) { return static_cast<size_t>(random() % n); };
    auto digits = [&random](int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s.push_back(static_cast<char>('0' + random() % 10));
        return s;
    };

    SampleBook book;
    book.records.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const NamePart& family = kFamily[pick(std::size(kFamily))];
        const NamePart& given = kGiven[pick(std::size(kGiven))];
        const std::string name = std::string(family.written) + given.written + kNote[pick(6)];
        const std::string reading = std::string(family.reading) + " " + given.reading;

        std::vector<std::string> numbers = {
            kMobile[pick(3)] + digits(8),
            std::string(kArea[pick(6)]),
        };
        numbers[1] += digits(10 - static_cast<int>(numbers[1].size()));
        if (pick(3) == 0) numbers.push_back(kMobile[pick(3)] + digits(8));

        const std::string group = std::to_string(pick(10));
        CMemoryDial r = Entry(name.c_str(), reading.c_str(), group.c_str(), numbers);
        r.m_strIndex1 = std::to_string(i % MAX_MEMORY_DIAL);
        r.m_bSecret = pick(20) == 0;
        if (pick(4) == 0) r.m_strItem[0] = "user" + digits(4) + "@example.jp";
        book.records.push_back(std::move(r));
    }
    static const char* const kGroups[] = {"未分類", "家族", "友人", "会社",   "学校",
                                          "取引先", "病院", "趣味", "ご近所", "その他"};
    for (const char* g : kGroups) book.groups.push_back(Group(g, ""));
    return book;
}
