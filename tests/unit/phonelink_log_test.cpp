// The communication log: closed unless opened, one time-stamped line per
// text, appended to, and closed exactly once.

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "PhoneLinkFixture.h"

namespace {

using Texts = std::vector<std::string>;

class CommLogTest : public PhoneLinkTest {
protected:
    // A whole session on the line: open, a poll with an answer, close.
    void UseThePort() {
        link->CommOpen(0);
        fake->Incoming({0xA5, 0xE0, 0x91, 0xAA});
        char buffer[IDLE_BUFFER_SIZE];
        link->PollIdle(buffer);
        link->CommReadByte(1, 1);
        link->CommClose(1);
    }

    void WriteFile(const std::string& content) {
        std::ofstream out(logPath, std::ios::binary);
        out << content;
    }
};

TEST_F(CommLogTest, ClosedLogWritesNothingAndCreatesNoFile) {
    EXPECT_FALSE(link->IsLogOpen());
    // Opened and closed again: later traffic must not bring the file back.
    StartLog();
    EXPECT_EQ(link->LogClose(), 1);
    std::filesystem::remove(logPath);
    UseThePort();
    link->LogLine("text");
    link->LogFormat("%d", 1);
    EXPECT_FALSE(std::filesystem::exists(logPath));
}

TEST_F(CommLogTest, ClosedLogDoesNotFormatItsArguments) {
    // Formatting this would read through a bad pointer.
    const char* bad = reinterpret_cast<const char*>(uintptr_t{8});
    link->LogFormat("%s", bad);
    SUCCEED();
}

TEST_F(CommLogTest, EveryLineIsStampedAndEndsInCrLf) {
    StartLog();
    UseThePort();
    const std::string raw = RawLog();
    ASSERT_FALSE(raw.empty());
    // Stamped lines; an empty line only right after a text that ended in "\r\n".
    const std::regex stamped(R"(([01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]\t[^\r\n]*)");
    size_t lines = 0;
    bool previousEmpty = true;
    for (size_t pos = 0; pos < raw.size();) {
        const size_t end = raw.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos) << "unterminated line at " << pos;
        const std::string segment = raw.substr(pos, end - pos);
        if (segment.empty()) {
            EXPECT_FALSE(previousEmpty) << "stray empty line at " << pos;
        } else {
            EXPECT_TRUE(std::regex_match(segment, stamped)) << segment;
            ++lines;
        }
        previousEmpty = segment.empty();
        pos = end + 2;
    }
    EXPECT_EQ(lines, LogTexts().size());
    // The close message carries its own line end, so an empty line follows.
    EXPECT_NE(raw.find("\tCommClose1() Success\r\n\r\n"), std::string::npos);
    EXPECT_EQ(raw.find("\tCommOpen1() Success\r\n\r\n"), std::string::npos);
}

TEST_F(CommLogTest, LogCloseWritesLogEndOnce) {
    StartLog();
    link->LogLine("one");
    EXPECT_EQ(link->LogClose(), 1);
    EXPECT_EQ(link->LogClose(), 1);
    EXPECT_FALSE(link->IsLogOpen());
    link.reset();
    EXPECT_EQ(LogTexts(), (Texts{"one", "Log End\r\n"}));
    const std::string raw = RawLog();
    EXPECT_EQ(raw.substr(raw.size() - 12), "\tLog End\r\n\r\n");
}

TEST_F(CommLogTest, DestroyingTheLinkClosesTheLog) {
    StartLog();
    link->LogLine("last");
    link.reset();
    EXPECT_EQ(LogTexts(), (Texts{"last", "Log End\r\n"}));
}

TEST_F(CommLogTest, LongFormattedTextIsWrittenWhole) {
    StartLog();
    const std::string longText(1000, 'x');
    link->LogFormat("%s|%d|%c|%02x|%04x|%x", longText.c_str(), -7, 'Q', 0xA, 0x1F, 0xBEEF);
    EXPECT_EQ(LogTexts(), (Texts{longText + "|-7|Q|0a|001f|beef"}));
}

TEST_F(CommLogTest, LogThatCannotBeCreatedStaysClosed) {
    EXPECT_FALSE(link->LogOpen((logPath.parent_path() / "missing" / "comm.log").string()));
    EXPECT_FALSE(link->IsLogOpen());
    UseThePort();
    EXPECT_EQ(link->LogClose(), 1);
}

TEST_F(CommLogTest, EnvironmentVariableOpensTheLogForAppending) {
    WriteFile("earlier\r\n");
    link.reset();
    setenv("TELVOXA_COMMLOG", logPath.string().c_str(), 1);
    link = std::make_unique<CPhoneLink>(std::make_unique<FakeCommDevice>());
    unsetenv("TELVOXA_COMMLOG");
    EXPECT_TRUE(link->IsLogOpen());
    link->LogLine("traced");
    link.reset();
    const std::string raw = RawLog();
    EXPECT_EQ(raw.rfind("earlier\r\n", 0), 0u);
    EXPECT_NE(raw.find("\ttraced\r\n"), std::string::npos);
}

TEST_F(CommLogTest, WithoutTheEnvironmentVariableNothingIsOpened) {
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        if (value == nullptr)
            unsetenv("TELVOXA_COMMLOG");
        else
            setenv("TELVOXA_COMMLOG", value, 1);
        CPhoneLink other(std::make_unique<FakeCommDevice>());
        EXPECT_FALSE(other.IsLogOpen());
    }
    unsetenv("TELVOXA_COMMLOG");
}

}  // namespace
