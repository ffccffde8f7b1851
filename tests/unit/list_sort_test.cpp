// The phone book list's sort and group labels.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "phonebook/ListSort.h"

namespace {

// The character values of a code page 932 text, worked out on their own.
std::vector<unsigned> CharValues(const std::string& text) {
    std::vector<unsigned> out;
    for (size_t k = 0; k < text.size(); ++k) {
        const unsigned char c = text[k];
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        if (lead && k + 1 < text.size()) {
            out.push_back(c * 256u + static_cast<unsigned char>(text[k + 1]));
            ++k;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

bool Less(const std::string& a, const std::string& b) {
    const auto va = CharValues(a);
    const auto vb = CharValues(b);
    return std::lexicographical_compare(va.begin(), va.end(), vb.begin(), vb.end());
}

struct Row {
    std::string text;
    int tag;
};

// The list sort written down step by step as described, on a plain vector,
// to hold the library's version against.
struct Reference {
    std::vector<Row> rows;

    std::string At(int r) const { return r < static_cast<int>(rows.size()) ? rows[r].text : ""; }
    bool Smaller(const std::string& a, const std::string& b) const { return Less(a, b); }

    void Sort(int first, int last, bool ascending) {
        if (first >= last) return;
        const std::string pivot = At(first);
        int j = first;
        int i = last + 1;
    step3:
        while (j <= last) {
            ++j;
            if (ascending ? !Smaller(At(j), pivot) : !Smaller(pivot, At(j))) break;
        }
        while (i >= first) {
            --i;
            if (ascending ? !Smaller(pivot, At(i)) : !Smaller(At(i), pivot)) break;
        }
        if (j < i) {
            std::swap(rows[j], rows[i]);
            goto step3;
        }
        std::swap(rows[first], rows[i]);
        Sort(first, i - 1, ascending);
        Sort(i + 1, last, ascending);
    }
};

// Rows for the library's SortList; any read beyond the list is a fault.
class VectorRows final : public SortableRows {
public:
    explicit VectorRows(std::vector<Row> rows) : rows_(std::move(rows)) {}
    int RowCount() const override { return static_cast<int>(rows_.size()); }
    std::string Text(int row, int column) const override {
        EXPECT_GE(row, 0);
        EXPECT_LT(row, RowCount());
        EXPECT_EQ(column, 2);
        return rows_.at(row).text;
    }
    void SwapRows(int a, int b) override { std::swap(rows_.at(a), rows_.at(b)); }
    const std::vector<Row>& rows() const { return rows_; }

private:
    std::vector<Row> rows_;
};

std::vector<int> Tags(const std::vector<Row>& rows) {
    std::vector<int> out;
    for (const auto& r : rows) out.push_back(r.tag);
    return out;
}

std::vector<Row> Tagged(const std::vector<std::string>& texts) {
    std::vector<Row> rows;
    for (size_t k = 0; k < texts.size(); ++k) rows.push_back({texts[k], static_cast<int>(k)});
    return rows;
}

std::vector<int> SortedTags(const std::vector<std::string>& texts, bool ascending) {
    VectorRows rows(Tagged(texts));
    SortList(rows, 2, 0, rows.RowCount() - 1, ascending);
    return Tags(rows.rows());
}

TEST(CompareCp932, OrdersByCharacterValue) {
    struct Case {
        std::string a, b;
        int sign;
    };
    const Case cases[] = {
        {"", "", 0},
        {"", "a", -1},
        {"a", "ab", -1},  // a prefix sorts first
        {"abc", "abd", -1},
        {"B", "a", -1},  // upper case before lower case, no folding
        {"a", "A", 1},
        {"\xB1", "\x82\xA0", -1},  // half-width ｱ before the double-byte あ
        {"\xDF", "\x81\x40", -1},  // the last half-width kana before the first double-byte
        {"\x82\xA0", "\x82\xA2", -1},
        {"\x82\xA0z", "\x82\xA0", 1},
        {"\x82", "\x82\xA0", -1},     // a lead byte at the end stands alone
        {"\xE0\x40", "\x9F\xFC", 1},  // by lead byte first
        {"\xFC\x40", "\xE0\x40", 1},
        {"\x81\x40", "\x81\x40", 0},
    };
    for (const auto& c : cases) {
        const int got = CompareCp932(c.a, c.b);
        EXPECT_EQ((got > 0) - (got < 0), c.sign) << '"' << c.a << "\" vs \"" << c.b << '"';
        const int back = CompareCp932(c.b, c.a);
        EXPECT_EQ((back > 0) - (back < 0), -c.sign);
    }
}

TEST(SortList, EqualKeysEndInThisAlgorithmsOrder) {
    // Three equal texts come out as rows 2, 0, 1: neither stable nor reversed.
    EXPECT_EQ(SortedTags({"a", "a", "a"}, true), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(SortedTags({"a", "a", "a"}, false), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(SortedTags({"b", "a", "a"}, true), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(SortedTags({"b", "a", "c"}, false), (std::vector<int>{2, 0, 1}));
}

TEST(SortList, EmptyAndSingleRowListsStayAsTheyAre) {
    EXPECT_EQ(SortedTags({}, true), std::vector<int>{});
    EXPECT_EQ(SortedTags({"x"}, false), std::vector<int>{0});
    EXPECT_TRUE(SortListOrder({}, true).empty());
}

TEST(SortList, SortsOnlyTheGivenRange) {
    VectorRows rows(Tagged({"d", "c", "b", "a", "0"}));
    SortList(rows, 2, 1, 3, true);
    EXPECT_EQ(Tags(rows.rows()), (std::vector<int>{0, 3, 2, 1, 4}));
}

TEST(SortList, MatchesTheStepByStepVersionOnRandomLists) {
    std::mt19937 random(20240521);
    // Few distinct texts, so equal keys are common; mixed one- and two-byte
    // characters, prefixes and empty texts.
    const std::vector<std::string> alphabet = {"",         "a",        "A",    "ab",
                                               "\xB1",     "\x82\xA0", "\x82", "\x82\xA0\xB1",
                                               "\x81\x40", "b",        "\xDF", "\xE0\x40"};
    for (int round = 0; round < 200; ++round) {
        const int n = std::uniform_int_distribution<int>(0, 40)(random);
        std::vector<std::string> texts;
        for (int k = 0; k < n; ++k) {
            texts.push_back(alphabet[std::uniform_int_distribution<size_t>(
                0, round % 2 ? 3 : alphabet.size() - 1)(random)]);
        }
        for (const bool ascending : {true, false}) {
            Reference reference{Tagged(texts)};
            reference.Sort(0, n - 1, ascending);
            const auto expected = Tags(reference.rows);
            EXPECT_EQ(SortedTags(texts, ascending), expected) << "round " << round;
            EXPECT_EQ(SortListOrder(texts, ascending), expected) << "round " << round;
            // And the result is in order.
            std::vector<std::string> sorted;
            for (int tag : expected) sorted.push_back(texts[tag]);
            if (!ascending) std::reverse(sorted.begin(), sorted.end());
            EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end(), Less));
        }
    }
}

TEST(SortList, WorstCaseInputsAgreeWithTheRowBasedSort) {
    // Already sorted, then the other way round: the slow cases of a
    // first-row pivot.
    std::vector<std::string> texts;
    for (int k = 0; k < 1000; ++k) texts.push_back("name" + std::to_string(10000 + k));
    for (const bool ascending : {true, false}) {
        const auto order = SortListOrder(texts, ascending);
        EXPECT_EQ(order, SortedTags(texts, ascending));
        EXPECT_EQ(order.front(), ascending ? 0 : 999);
        EXPECT_EQ(order.back(), ascending ? 999 : 0);
    }
}

TEST(ListSortState, SameColumnReversesAnotherColumnStartsAscending) {
    ListSortState state;
    EXPECT_EQ(state.lastColumn, -1);
    const std::pair<int, bool> clicks[] = {{0, true},  {0, false}, {0, true}, {2, true},
                                           {2, false}, {1, true},  {2, true}};
    for (const auto& [column, ascending] : clicks) {
        EXPECT_EQ(state.Click(column), ascending) << "column " << column;
        EXPECT_EQ(state.lastColumn, column);
    }
}

TEST(ListSortState, OneStateForTheWholeRun) {
    EXPECT_EQ(&PhoneBookSortState(), &PhoneBookSortState());
}

TEST(GroupLabel, NumberThenFirstNameSecondNameOrNotNamed) {
    GroupName names[MAX_GROUP];
    names[0] = {"", ""};
    names[5] = {"", "\xC4\xD3\xC0\xDE\xC1"};  // ﾄﾓﾀﾞﾁ
    names[7] = {"Work", "Other"};
    names[49] = {"Last", ""};
    struct Case {
        std::string group;
        std::string label;
    };
    const Case cases[] = {
        {"5", "005 \xC4\xD3\xC0\xDE\xC1"},
        {"12", "012 [not named]"},
        {"0", "000 [not named]"},
        {"7", "007 Work"},
        {"49", "049 Last"},
        {"", "000 [not named]"},
        {"abc", "000 [not named]"},  // not a number: read as 0
        {" 7x", "007 Work"},         // read the way atoi reads it
        {"+7", "007 Work"},
        {"007", "007 Work"},
        {"50", "050 [not named]"},  // out of range: no names, nothing read out of bounds
        {"75", "075 [not named]"},
        {"-3", "-03 [not named]"},
        {"1234", "1234 [not named]"},
        {"99999999999", "2147483647 [not named]"},
    };
    for (const auto& c : cases) EXPECT_EQ(GroupLabel(c.group, names), c.label) << c.group;
    EXPECT_EQ(GroupLabel("7", nullptr), "007 [not named]");
}

}  // namespace
