// Single-byte reads with bounded waiting, waits for expected bytes, writes
// and the receive buffer.

#include <string>
#include <vector>

#include "PhoneLinkFixture.h"

namespace {

using Texts = std::vector<std::string>;

class LinkIoTest : public PhoneLinkTest {
protected:
    void SetUp() override {
        PhoneLinkTest::SetUp();
        OpenLine();
        StartLog();
    }
};

TEST_F(LinkIoTest, PortReadsNeverAskForMoreThanTheBuffer) {
    struct Case {
        int request;
        const char* read;
    };
    for (const Case& c :
         {Case{500, "ReadFile(100)"}, Case{101, "ReadFile(100)"}, Case{100, "ReadFile(100)"},
          Case{8, "ReadFile(8)"}, Case{1, "ReadFile(1)"}, Case{0, "ReadFile(1)"},
          Case{-5, "ReadFile(1)"}}) {
        SCOPED_TRACE(c.request);
        fake->ClearRecord();
        link->ClearBuf(0);
        Bytes burst(150, 0x31);
        fake->Incoming(burst);
        EXPECT_EQ(link->CommReadByte(0, c.request), 0x31);
        ASSERT_FALSE(fake->calls.empty());
        EXPECT_EQ(fake->calls[0], c.read);
        link->ClearBuf(1);
    }
}

TEST_F(LinkIoTest, BurstIsHandedOutFromOnePortRead) {
    fake->Incoming({0xA5, 0xE0, 0xAA});
    EXPECT_EQ(link->CommReadByte(1, 3), 0xA5);
    EXPECT_EQ(link->CommReadByte(1, 3), 0xE0);
    EXPECT_EQ(link->CommReadByte(1, 3), 0xAA);
    EXPECT_EQ(fake->CallCount(FakeOp::ReadFile), 1);
    EXPECT_EQ(LogTexts(),
              (Texts{"CommReadByte() Success (0xa5) time 1", "CommReadByte() Success (0xe0) time 0",
                     "CommReadByte() Success (0xaa) time 0"}));
}

TEST_F(LinkIoTest, SilentLineTimesOutAfterThreeReadsAndPauses) {
    struct Case {
        int request;
        uint64_t elapsedMs;
    };
    // 3 x (16 x request + 64) + 3 x 100
    for (const Case& c : {Case{1, 540}, Case{2, 588}, Case{8, 876}, Case{500, 5292}}) {
        SCOPED_TRACE(c.request);
        fake->ClearRecord();
        const uint64_t start = fake->Now();
        EXPECT_EQ(link->CommReadByte(0, c.request), 0);
        EXPECT_EQ(fake->Now() - start, c.elapsedMs);
        EXPECT_EQ(fake->CallsStartingWith("ReadFile").size(), 3u);
        EXPECT_EQ(fake->CallsStartingWith("Sleep"),
                  (Texts{"Sleep(100)", "Sleep(100)", "Sleep(100)"}));
    }
    const Texts texts = LogTexts();
    EXPECT_EQ(Texts(texts.begin(), texts.begin() + 4),
              (Texts{"CommReadByte() Sleep", "CommReadByte() Sleep", "CommReadByte() Sleep",
                     "CommReadByte() Time Out"}));
}

TEST_F(LinkIoTest, ByteThatArrivesDuringTheThirdReadWaitsForTheNextCall) {
    // Reads at 0..80 and 180..260 find nothing; the third starts at 360.
    fake->IncomingAt(370, {0x42});
    EXPECT_EQ(link->CommReadByte(0, 1), 0);
    EXPECT_EQ(fake->Now(), 370u);
    EXPECT_EQ(link->CommReadByte(0, 1), 0x42);
    EXPECT_EQ(fake->CallCount(FakeOp::ReadFile), 3);
    const Texts texts = LogTexts();
    EXPECT_EQ(texts[texts.size() - 2], "CommReadByte() Time Out");
    EXPECT_EQ(texts.back(), "CommReadByte() Success time 0");
}

TEST_F(LinkIoTest, ByteArrivingWithinTheReadWindowIsTakenAtOnce) {
    fake->Incoming({0x26}, 50);
    EXPECT_EQ(link->CommReadByte(0, 1), 0x26);
    EXPECT_EQ(fake->Now(), 50u);
    EXPECT_EQ(LogTexts(), (Texts{"CommReadByte() Success time 1"}));
}

TEST_F(LinkIoTest, FailedPortReadYieldsZeroAndSaysWhichAttempt) {
    fake->FailCall(FakeOp::ReadFile, 2);
    EXPECT_EQ(link->CommReadByte(0, 1), 0);
    EXPECT_EQ(fake->CallCount(FakeOp::ReadFile), 2);
    EXPECT_EQ(LogTexts(),
              (Texts{"CommReadByte() Sleep", "CommReadByte() Failure (ReadFile) time 1"}));
    // The next call reads again.
    fake->Incoming({0x21});
    EXPECT_EQ(link->CommReadByte(0, 1), 0x21);
}

TEST_F(LinkIoTest, WaitDataDropsOtherBytesUntilItsByteComes) {
    fake->Incoming({0x01, 0x02, 0x41, 0x55});
    EXPECT_EQ(link->WaitData(0x41, 0, 4, 1), 1);
    EXPECT_EQ(link->CommReadByte(0, 1), 0x55);
    EXPECT_EQ(LogTexts(), (Texts{"WaitData(0x41) Called", "CommReadByte() Success time 1",
                                 "CommReadByte() Success time 1", "CommReadByte() Success time 1",
                                 "WaitData(0x41) Success", "CommReadByte() Success time 1"}));
}

TEST_F(LinkIoTest, WaitDataGivesUpAfterItsTries) {
    struct Case {
        int tries;
        int portReads;
    };
    // Four junk bytes use up four tries; the wanted byte stays for later.
    fake->Incoming({1, 2, 3, 4, 0x41});
    EXPECT_EQ(link->WaitData(0x41, 0, 4, 1), 0);
    EXPECT_EQ(link->CommReadByte(0, 1), 0x41);
    for (const Case& c : {Case{0, 0}, Case{-3, 0}, Case{2, 6}}) {
        SCOPED_TRACE(c.tries);
        fake->ClearRecord();
        EXPECT_EQ(link->WaitData(0x41, 0, c.tries, 1), 0);
        EXPECT_EQ(fake->CallsStartingWith("ReadFile").size(), static_cast<size_t>(c.portReads));
        EXPECT_EQ(LogTexts().back(), "WaitData(0x41) Time Out");
    }
}

TEST_F(LinkIoTest, WaitDataVReturnsTheCandidateThatCame) {
    fake->Incoming({0x00, 0xA4});
    EXPECT_EQ(link->WaitDataV(1, 2, 1, {0xA6, 0xA4}), 0xA4);
    EXPECT_EQ(
        LogTexts(),
        (Texts{"WaitDataV() Called", "Waiting 0xa6 ,0xa4", "CommReadByte() Success (0x00) time 1",
               "CommReadByte() Success (0xa4) time 1", "WaitDataV() Received 0xa4"}));
}

TEST_F(LinkIoTest, WaitDataVListsCandidatesOnlyWhenLoggingValues) {
    struct Case {
        int logValue;
        std::initializer_list<uint8_t> candidates;
        const char* line;
    };
    for (const Case& c : {Case{1, {0x01, 0x02, 0x03}, "Waiting 0x01 ,0x02 ,0x03"},
                          Case{1, {0xff}, "Waiting 0xff"}, Case{0, {0xA6, 0xA4}, ""}}) {
        SCOPED_TRACE(c.line);
        link->LogClose();
        std::filesystem::remove(logPath);
        StartLog();
        fake->Incoming({0x10});
        EXPECT_EQ(link->WaitDataV(c.logValue, 1, 1, c.candidates), 0);
        const Texts texts = LogTexts();
        ASSERT_EQ(texts.size(), 4u);
        EXPECT_EQ(texts[1], c.line);
        EXPECT_EQ(texts[3], "WaitDataV() Time Out");
    }
}

TEST_F(LinkIoTest, CommWriteReportsTheCountWritten) {
    const uint8_t bytes[] = {0xA7, 0xEA, 0x86};
    EXPECT_EQ(link->CommWrite(bytes, 3), 3u);
    fake->Fail(FakeOp::WriteFile);
    EXPECT_EQ(link->CommWrite(bytes, 3), 0u);
    EXPECT_EQ(fake->written, (Bytes{0xA7, 0xEA, 0x86}));
    EXPECT_EQ(LogTexts(),
              (Texts{"CommWrite() Written 3 Byte(s)", "CommWrite() Written 0 Byte(s)"}));
}

TEST_F(LinkIoTest, ClearBufForgetsBufferedBytesAndPurgesOnRequest) {
    fake->Incoming({0x11, 0x22});
    EXPECT_EQ(link->CommReadByte(0, 2), 0x11);
    link->ClearBuf(0);
    EXPECT_TRUE(fake->CallsStartingWith("PurgeComm").empty());
    EXPECT_EQ(link->CommReadByte(0, 1), 0);

    // Arrived bytes go with a purge; bytes still on their way do not.
    fake->Incoming({0x33});
    fake->Incoming({0x44}, 10);
    link->ClearBuf(1);
    EXPECT_EQ(fake->calls.back(), "PurgeComm(15)");
    EXPECT_EQ(link->CommReadByte(0, 1), 0x44);
    const Texts texts = LogTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "ClearBuf() Success"), 2);
}

}  // namespace
