// The polls of the monitoring cycle: what each makes of the phone's bytes,
// and that number and charge fields stay bounded.

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "PhoneLinkFixture.h"
#include "support/PhoneBytes.h"

namespace {

class PollTest : public PhoneLinkTest {
protected:
    void SetUp() override {
        PhoneLinkTest::SetUp();
        OpenLine();
    }
};

struct StatePoll {
    const char* name;
    std::function<int(CPhoneLink&)> poll;
    Bytes phone;
    int result;
    int bytesLeft;  // what the poll must leave for the next one
};

void PrintTo(const StatePoll& c, std::ostream* os) {
    *os << c.name;
}

class StatePollTest : public PollTest, public ::testing::WithParamInterface<StatePoll> {};

TEST_P(StatePollTest, ReadsTheStateChange) {
    const StatePoll& c = GetParam();
    fake->Incoming(c.phone);
    EXPECT_EQ(c.poll(*link), c.result);
    EXPECT_EQ(BytesLeft(), c.bytesLeft);
}

int Idle(CPhoneLink& l) {
    char buffer[IDLE_BUFFER_SIZE];
    return l.PollIdle(buffer);
}
int OffHook(CPhoneLink& l) {
    return l.PollOffHook();
}
int Sending(CPhoneLink& l) {
    return l.PollSending();
}
int Ringing(CPhoneLink& l) {
    return l.PollRinging();
}
int Holding(CPhoneLink& l) {
    return l.PollHolding();
}
int OnLine(CPhoneLink& l) {
    return l.PollOnLine();
}

INSTANTIATE_TEST_SUITE_P(
    Polls, StatePollTest,
    ::testing::Values(StatePoll{"IdleOffHook", Idle, {0x21}, 3, 0},
                      StatePoll{"IdlePlacing", Idle, {0x26, 0x21}, 2, 1},
                      StatePoll{"IdleStatus", Idle, {0xC3}, 0, 0},
                      StatePoll{"IdleSilent", Idle, {}, 0, 0},
                      StatePoll{"OffHookPlacing", OffHook, {0x26}, 1, 0},
                      StatePoll{"OffHookSpacePlacing", OffHook, {0x20, 0x26}, 1, 0},
                      StatePoll{"OffHookEnded", OffHook, {0x20, 0x41}, 2, 0},
                      StatePoll{"OffHookEndedSilent", OffHook, {0x20}, 2, 0},
                      StatePoll{"OffHookOther", OffHook, {0x41, 0x26}, 0, 1},
                      StatePoll{"OffHookSilent", OffHook, {}, 0, 0},
                      StatePoll{"SendingConnected", Sending, {0xA7}, 1, 0},
                      StatePoll{"SendingEnded", Sending, {0xA6}, 2, 0},
                      StatePoll{"SendingEndedE7", Sending, {0xE7}, 2, 0},
                      StatePoll{"SendingOther", Sending, {0x26}, 0, 0},
                      StatePoll{"RingingHeld", Ringing, {0xA4, 0x83}, 3, 0},
                      StatePoll{"RingingEnded", Ringing, {0xA4, 0xA6}, 1, 0},
                      StatePoll{"RingingAnswered", Ringing, {0xA4, 0xA7}, 2, 0},
                      StatePoll{"RingingPrefixSilent", Ringing, {0xA4}, 1, 0},
                      StatePoll{"RingingConnected", Ringing, {0xA7}, 2, 0},
                      StatePoll{"RingingHeldNoPrefix", Ringing, {0x83}, 3, 0},
                      StatePoll{"RingingOther", Ringing, {0xC1, 0xA7}, 0, 1},
                      StatePoll{"HoldingResumed", Holding, {0x82, 0xA7}, 3, 0},
                      StatePoll{"HoldingEnded", Holding, {0x82, 0xA6}, 1, 0},
                      StatePoll{"HoldingPrefixSilent", Holding, {0x82}, 1, 0},
                      StatePoll{"HoldingConnected", Holding, {0xA7}, 3, 0},
                      StatePoll{"HoldingOther", Holding, {0x83}, 0, 0},
                      StatePoll{"OnLineStatus", OnLine, {0xC4, 0xA6}, 0, 1},
                      StatePoll{"OnLineEndedNoOutputs", OnLine, {0xA6, 0xE2, 0x91}, 1, 2}));

TEST_F(PollTest, SilentPollTakesThreeReadsAndPauses) {
    char buffer[IDLE_BUFFER_SIZE];
    EXPECT_EQ(link->PollIdle(buffer), 0);
    EXPECT_EQ(fake->Now(), 3u * (16 + 64) + 3u * 100);
}

TEST_F(PollTest, IdleReadsTheCallersNumber) {
    struct Case {
        const char* name;
        Bytes phone;
        std::string number;
        uint8_t nextByte;  // first byte left for the next poll, 0 for none
    };
    const Case cases[] = {
        {"number", {0xA5, 0xE0, 0x9A, 0x93, 0xAA}, "03", 0},
        {"keys", {0xA5, 0xE0, 0x9B, 0x9C, 0x91, 0xAA, 0xC2}, "*#1", 0xC2},
        {"empty number", {0xA5, 0xE0, 0xAA}, "", 0},
        {"not notified", {0xA5, 0x01, 0xC3}, "", 0xC3},
        {"no second byte", {0xA5}, "", 0},
        {"38 digits",
         [] {
             Bytes b{0xA5, 0xE0};
             b.insert(b.end(), 38, 0x91);
             b.push_back(0xAA);
             return b;
         }(),
         std::string(38, '1'), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link->ClearBuf(1);
        fake->Incoming(c.phone);
        char buffer[IDLE_BUFFER_SIZE];
        std::memset(buffer, 0x55, sizeof buffer);
        EXPECT_EQ(link->PollIdle(buffer), 1);
        EXPECT_EQ(std::string(buffer), c.number);
        EXPECT_EQ(buffer[c.number.size() + 1], 0);
        EXPECT_EQ(link->CommReadByte(0, 1), c.nextByte);
    }
}

TEST_F(PollTest, IdleNumberStopsAtTheEndOfTheCallersBuffer) {
    Bytes phone{0xA5, 0xE0};
    phone.insert(phone.end(), 50, 0x92);
    phone.push_back(0xAA);
    phone.push_back(0xC3);
    fake->Incoming(phone);
    // The caller's 40 bytes, then bytes the poll must not touch.
    char memory[IDLE_BUFFER_SIZE + 8];
    std::memset(memory, 0x55, sizeof memory);
    EXPECT_EQ(link->PollIdle(memory), 1);
    EXPECT_EQ(std::string(memory), std::string(38, '2'));
    EXPECT_EQ(memory[39], 0);
    for (int i = IDLE_BUFFER_SIZE; i < IDLE_BUFFER_SIZE + 8; ++i) EXPECT_EQ(memory[i], 0x55) << i;
    // The rest of the field is read and dropped: the next poll sees what
    // the phone sent after it.
    EXPECT_EQ(link->PollIdle(memory), 0);
    EXPECT_EQ(static_cast<uint8_t>(memory[0]), 0xC3);
}

TEST_F(PollTest, IdleNumberStopsWhenThePhoneFallsSilent) {
    fake->Incoming({0xA5, 0xE0, 0x91, 0x92});
    // The rest comes a second later, too late for this field.
    fake->Incoming({0x93, 0xAA}, 1000);
    char buffer[IDLE_BUFFER_SIZE];
    EXPECT_EQ(link->PollIdle(buffer), 1);
    EXPECT_EQ(std::string(buffer), "12");
    EXPECT_EQ(fake->Now(), 540u);
}

TEST_F(PollTest, OnLineReadsChargeAndBlocksWhenTheCallEnds) {
    struct Case {
        const char* name;
        Bytes phone;
        int result;
        int charge;
        Bytes block3;
        Bytes block2;
    };
    const Case cases[] = {
        {"charge only", {0xA6, 0xE2, 0x92, 0x9A, 0x9A, 0xAA}, 1, 200, {0, 0, 0}, {0, 0}},
        {"all fields",
         {0xA6, 0xE2, 0x91, 0xAA, 0xE1, 0x01, 0x02, 0x03, 0xE7, 0x04, 0x05},
         1,
         1,
         {1, 2, 3},
         {4, 5}},
        {"no charge", {0xA6, 0xE1, 0x01, 0x02, 0x03}, 1, -1, {0, 0, 0}, {0, 0}},
        {"no charge, blocks", {0xA6, 0xE7, 0x04, 0x05}, 1, -1, {0, 0, 0}, {0, 0}},
        {"status", {0xC4}, 0, 77, {0xC4, 9, 9}, {0xC4, 9}},
        {"silent", {}, 0, 77, {0, 9, 9}, {0, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link->ClearBuf(1);
        fake->Incoming(c.phone);
        int charge = 77;
        uint8_t block3[3] = {9, 9, 9};
        uint8_t block2[2] = {9, 9};
        EXPECT_EQ(link->PollOnLine(&charge, block3, block2), c.result);
        EXPECT_EQ(charge, c.charge);
        EXPECT_EQ(Bytes(block3, block3 + 3), c.block3);
        EXPECT_EQ(Bytes(block2, block2 + 2), c.block2);
    }
}

TEST_F(PollTest, OnLineChargeWaitUsesSingleByteReads) {
    fake->Incoming({0xA6});
    int charge = 0;
    const uint64_t start = fake->Now();
    EXPECT_EQ(link->PollOnLine(&charge), 1);
    EXPECT_EQ(charge, -1);
    EXPECT_EQ(fake->Now() - start, 4u * 540u);
    EXPECT_EQ(fake->CallsStartingWith("ReadFile(1)").size(),
              fake->CallsStartingWith("ReadFile").size());
}

TEST_F(PollTest, ChargeFieldIsBounded) {
    struct Case {
        const char* name;
        Bytes field;  // after A6 E2
        int charge;
        uint64_t maxElapsedMs;
    };
    const Case cases[] = {
        {"nine digits", Join({Bytes(9, 0x91), {0xAA}}), 111111111, 0},
        // Nine bytes at most before the end: a longer field is no charge,
        // read to its end all the same.
        {"ten digits", Join({Bytes(10, 0x91), {0xAA}}), NO_CHARGE, 0},
        {"long", Join({Bytes(200, 0x91), {0xAA}}), NO_CHARGE, 0},
        {"silent after digits", {0x95, 0x9A}, NO_CHARGE, 540},
        // Bytes that are no digits are skipped, and still count.
        {"no digits", Bytes(12, 0x00), NO_CHARGE, 540},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link->ClearBuf(1);
        Bytes phone{0xA6, 0xE2};
        phone.insert(phone.end(), c.field.begin(), c.field.end());
        fake->Incoming(phone);
        int charge = 0;
        const uint64_t start = fake->Now();
        EXPECT_EQ(link->PollOnLine(&charge), 1);
        EXPECT_EQ(charge, c.charge);
        EXPECT_LE(fake->Now() - start, c.maxElapsedMs);
    }
}

// A byte that is no dial code inside a number or charge field is skipped;
// the rest of the field still counts.
TEST_F(PollTest, StrayBytesInNumberAndChargeFieldsAreSkipped) {
    enum Reader { OnLine, HangingUp, Idle };
    struct Case {
        const char* name;
        Reader reader;
        Bytes phone;
        int charge;          // OnLine, HangingUp
        std::string number;  // Idle
    };
    const Case cases[] = {
        {"status byte in a charge", OnLine, {0xA6, 0xE2, 0x91, 0xC5, 0xAA}, 1, ""},
        {"star as a charge", OnLine, {0xA6, 0xE2, 0x9B, 0xAA}, 0, ""},
        {"hash and zero byte in a charge",
         OnLine,
         {0xA6, 0xE2, 0x9C, 0x92, 0x00, 0x9A, 0xAA},
         20,
         ""},
        {"star in a hang-up charge", HangingUp, {0xA6, 0xE2, 0x93, 0x9B, 0xAA}, 3, ""},
        {"stray first byte of a number", Idle, {0xA5, 0xE0, 0xC3, 0x9A, 0x93, 0xAA}, 0, "03"},
        {"stray bytes inside a number",
         Idle,
         {0xA5, 0xE0, 0x9A, 0x00, 0x9B, 0x81, 0x9C, 0xAA},
         0,
         "0*#"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link->ClearBuf(1);
        fake->Incoming(c.phone);
        int charge = 77;
        char buffer[IDLE_BUFFER_SIZE];
        switch (c.reader) {
            case OnLine:
                EXPECT_EQ(link->PollOnLine(&charge), 1);
                EXPECT_EQ(charge, c.charge);
                break;
            case HangingUp:
                EXPECT_EQ(link->HangUp(&charge), 1);
                EXPECT_EQ(charge, c.charge);
                break;
            case Idle:
                EXPECT_EQ(link->PollIdle(buffer), 1);
                EXPECT_EQ(std::string(buffer), c.number);
                break;
        }
        // The whole field is read, up to and with its end.
        EXPECT_EQ(BytesLeft(), 0);
    }
}

}  // namespace
