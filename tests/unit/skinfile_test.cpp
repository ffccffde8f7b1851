// The skin settings reader on files written here: how a line is found, and
// how the string, integer and rectangle lookups read its value.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "app/SkinFile.h"
#include "support/FaultyStream.h"
#include "support/ScratchDir.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

class SkinFileTest : public ::testing::Test {
protected:
    SkinFile& OpenWith(const std::string& contents) {
        // The open file is kept from writers, as on Windows.
        m_skin.Close();
        EXPECT_TRUE(m_skin.Open(m_dir.Write("skin.ini", contents)));
        return m_skin;
    }

    ScratchDir m_dir;
    SkinFile m_skin;
};

struct StringCase {
    const char* what;
    std::string contents;
    std::string key;
    std::string expected;  // "" also stands for an absent key
};

TEST_F(SkinFileTest, FindsTheLineAndReadsItsText) {
    // As long as a line can be within the bound on a skin file's size.
    const std::string longLine((1 << 20) - 16, 'x');
    const StringCase cases[] = {
        {"equals sign", "KEY=5", "KEY", "5"},
        {"spaces around equals", "KEY = 5", "KEY", "5"},
        {"spaces only", "KEY    5", "KEY", "5"},
        {"leading space hides the key", " KEY = 5", "KEY", ""},
        {"tab belongs to the key part", "KEY\t= 5", "KEY", ""},
        {"tab key found with its tab", "KEY\t= 5", "KEY\t", "5"},
        {"comment line", "#KEY = 5", "KEY", ""},
        {"comment line never answers its own text", "#KEY = 5", "#KEY", ""},
        {"comment then the real line", "# KEY = 1\nKEY = 2", "KEY", "2"},
        {"longer key does not answer", "KEYX = 5", "KEY", ""},
        {"shorter key does not answer", "KEY = 5", "KEYX", ""},
        {"prefix of the key does not answer", "KEY = 5", "KE", ""},
        {"case matters", "key = 5", "KEY", ""},
        {"first of two lines wins", "KEY = 1\nKEY = 2", "KEY", "1"},
        {"later line found", "A = 1\nB = 2\nKEY = 3\n", "KEY", "3"},
        {"CR LF dropped", "A = 1\r\nKEY = x\r\nB = 2\r\n", "KEY", "x"},
        {"CR LF key part ends before CR", "KEY\r\n", "KEY", ""},
        {"lone CR is text", "KEY = a\rb\n", "KEY", "a\rb"},
        {"CR at end without LF is text", "KEY = v\r", "KEY", "v\r"},
        {"CR CR LF keeps one CR", "KEY = v\r\r\n", "KEY", "v\r"},
        {"last line without LF", "A = 1\nKEY = last", "KEY", "last"},
        {"repeated assignment run skipped", "KEY = =x", "KEY", "x"},
        {"trailing spaces kept", "KEY = a b ", "KEY", "a b "},
        {"hash inside value kept", "KEY = a # b", "KEY", "a # b"},
        {"section header is an ordinary line", "[SKIN]\nKEY = 1", "KEY", "1"},
        {"value after key and tab", "KEY =\tv", "KEY", "\tv"},
        {"after a very long line", longLine + "\nKEY = 9", "KEY", "9"},
        {"very long value", "KEY = " + longLine, "KEY", longLine},
        {"empty file", "", "KEY", ""},
        {"key alone on its line", "A = 1\nKEY\nKEY = 2", "KEY", ""},
        {"double-byte key and value with 0x5C trail bytes", "\x95\x5C = \x95\x5C\x8E\xA6\n",
         "\x95\x5C", "\x95\x5C\x8E\xA6"},
    };
    for (const StringCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(OpenWith(c.contents).GetSkinString(c.key), c.expected);
    }
}

struct IntCase {
    std::string value;
    int32_t expected;
};

TEST_F(SkinFileTest, ReadsIntegersAsTheCLibraryDoes) {
    const IntCase cases[] = {
        {"N=5", 5},
        {"N = 5", 5},
        {"N    5", 5},
        {"N = 12px", 12},
        {"N = +3", 0},
        {"N = 1-2", 1},
        {"N = --3", 0},
        {"N = -7", -7},
        {"N = 007", 7},
        {"N = abc", 0},
        {"N", 0},
        {"N = ", 0},
        {"N == 4", 4},
        {"N = 3 4", 3},
        {"N =\t5", 0},
        {"N = -", 0},
        {"N = 2147483647", kMax},
        {"N = -2147483648", kMin},
        {"N = 99999999999999999999", kMax},
        {"N = -99999999999999999999", kMin},
    };
    for (const IntCase& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(OpenWith("A = 1\n" + c.value + "\n").GetSkinInt("N"), c.expected);
    }
}

struct RectCase {
    std::string line;
    std::string key;
    SkinRect expected;
};

TEST_F(SkinFileTest, ReadsRectanglesFromAnyDigitRuns) {
    const RectCase cases[] = {
        {"R = 10, 20, 110, 60", "R", {10, 20, 110, 60}},
        {"R=(1;2;3;4)", "R", {1, 2, 3, 4}},
        {"R = -10, 20", "R", {10, 20, 0, 0}},
        {"R = -5, -10, -20, -30", "R", {5, 10, 20, 30}},
        {"BTN1 = 5,6,7,8", "BTN1", {5, 6, 7, 8}},
        {"R = 1 2 3 4 5 6", "R", {1, 2, 3, 4}},
        {"R", "R", {0, 0, 0, 0}},
        {"R = none", "R", {0, 0, 0, 0}},
        {"R 1x2", "R", {1, 2, 0, 0}},
        {"R = 99999999999,1,2,3", "R", {kMax, 1, 2, 3}},
        {"R\t= 1,2,3,4", "R", {0, 0, 0, 0}},
        {"R\t= 1,2,3,4", "R\t", {1, 2, 3, 4}},
    };
    for (const RectCase& c : cases) {
        SCOPED_TRACE(c.line);
        const SkinRect r = OpenWith(c.line + "\n").GetSkinRect(c.key);
        EXPECT_EQ(r.left, c.expected.left);
        EXPECT_EQ(r.top, c.expected.top);
        EXPECT_EQ(r.right, c.expected.right);
        EXPECT_EQ(r.bottom, c.expected.bottom);
    }
}

TEST_F(SkinFileTest, EveryLookupStartsAgainAtTheFirstLine) {
    SkinFile& skin = OpenWith("A = 1\nB = 2\nC = 3, 4, 5, 6\n");
    EXPECT_EQ(skin.GetSkinInt("B"), 2);
    EXPECT_EQ(skin.GetSkinInt("A"), 1);
    EXPECT_EQ(skin.GetSkinString("MISSING"), "");
    EXPECT_EQ(skin.GetSkinRect("C").bottom, 6);
    EXPECT_EQ(skin.GetSkinString("A"), "1");
}

TEST_F(SkinFileTest, MissingOrClosedFileAnswersAbsent) {
    EXPECT_FALSE(m_skin.Open(m_dir.Path()));
    EXPECT_FALSE(m_skin.Open(m_dir.PathOf("no-such.ini")));
    EXPECT_FALSE(m_skin.IsOpen());
    EXPECT_EQ(m_skin.GetSkinString("KEY"), "");
    EXPECT_EQ(m_skin.GetSkinInt("KEY"), 0);
    EXPECT_EQ(m_skin.GetSkinRect("KEY").right, 0);

    OpenWith("KEY = 5\n");
    m_skin.Close();
    EXPECT_EQ(m_skin.GetSkinInt("KEY"), 0);
}

TEST_F(SkinFileTest, ReadErrorMidLookupAnswersAbsent) {
    const std::string contents = "A = 1\nKEY = 22\nB = 3, 4, 5, 6\n";
    struct Case {
        const char* what;
        size_t failAt;
        const char* key;
        int32_t expected;
    };
    const Case cases[] = {
        {"line found before the failure", 8, "A", 1},
        {"failure while scanning to the key", 8, "KEY", 0},
        {"failure inside the matching line", 13, "KEY", 0},
        {"failure right after the matching line", 15, "KEY", 22},
        {"failure while looking for an absent key", 20, "MISSING", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::FILE* stream = OpenFaultyStream(contents, c.failAt);
        ASSERT_NE(stream, nullptr);
        m_skin.Attach(stream);
        EXPECT_EQ(m_skin.GetSkinInt(c.key), c.expected);
        // The reader keeps answering afterwards.
        EXPECT_EQ(m_skin.GetSkinInt(c.key), c.expected);
        EXPECT_EQ(m_skin.GetSkinRect("B").left, 0);
    }
}

// No skin's settings come near 1 MB; one larger is refused with its reason,
// before a lookup reads it whole.
TEST_F(SkinFileTest, AFileLargerThanAnySkinsSettingsIsRefusedWithItsReason) {
    const std::string path = m_dir.Write("big.ini", "KEY = 5\n" + std::string(1 << 20, '#'));
    EXPECT_FALSE(m_skin.Open(path));
    EXPECT_FALSE(m_skin.IsOpen());
    EXPECT_EQ(m_skin.Problem(), path + ": larger than 1 MB, more than any skin settings file");
    EXPECT_FALSE(m_skin.Open(m_dir.PathOf("gone.ini")));
    EXPECT_EQ(m_skin.Problem(), m_dir.PathOf("gone.ini") + ": No such file or directory");
}

}  // namespace
