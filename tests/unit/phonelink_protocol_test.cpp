// The messages the link sends to the phone and the replies its commands wait for.

#include <functional>
#include <string>
#include <vector>

#include "PhoneLinkFixture.h"
#include "link/PhoneKeys.h"

namespace {

class ProtocolTest : public PhoneLinkTest {
protected:
    void SetUp() override {
        PhoneLinkTest::SetUp();
        OpenLine();
    }
};

Bytes DialMessage(uint8_t callerId, const Bytes& codes) {
    Bytes m{0xA7, callerId};
    m.insert(m.end(), codes.begin(), codes.end());
    m.push_back(0x86);
    return m;
}

TEST_F(ProtocolTest, DialSendsOneMessage) {
    const Bytes tenDigits{0x9A, 0x93, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98};
    struct Case {
        std::string number;
        int numdisp;
        Bytes sent;
    };
    const Case cases[] = {
        {"0312345678", 1, DialMessage(0xEB, tenDigits)},
        {"0312345678", 0, DialMessage(0xEA, tenDigits)},
        {"", 1, {0xA7, 0xEB}},
        {"", 0, {0xA7, 0xEA}},
        {"*#9", 7, DialMessage(0xEB, {0x9B, 0x9C, 0x99})},
        // A character that is no dial key goes out as 0x00.
        {"03-1", 0, DialMessage(0xEA, {0x9A, 0x93, 0x00, 0x91})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        fake->ClearRecord();
        link->m_numdisp = c.numdisp;
        link->Dial(c.number);
        EXPECT_EQ(fake->writes, std::vector<Bytes>{c.sent});
        EXPECT_EQ(fake->CallCount(FakeOp::ReadFile), 0);
    }
}

TEST_F(ProtocolTest, DialCutsALongNumberToThirtySevenDigits) {
    link->Dial(std::string(50, '5'));
    ASSERT_EQ(fake->writes.size(), 1u);
    EXPECT_EQ(fake->writes[0], DialMessage(0xEA, Bytes(37, 0x95)));
    EXPECT_EQ(fake->writes[0].size(), 40u);
}

TEST_F(ProtocolTest, DialDropsBytesReceivedEarlier) {
    fake->Incoming({0x21, 0x21});
    EXPECT_EQ(link->CommReadByte(0, 2), 0x21);
    link->Dial("1");
    char buffer[IDLE_BUFFER_SIZE];
    EXPECT_EQ(link->PollIdle(buffer), 0);
    EXPECT_EQ(buffer[0], 0);
}

TEST_F(ProtocolTest, SendDigitSendsTheDialCode) {
    struct Case {
        const char* key;
        uint8_t code;
    };
    for (const Case& c : {Case{"5", 0x95}, Case{"0", 0x9A}, Case{"*", 0x9B}, Case{"#", 0x9C},
                          Case{"12", 0x91}, Case{"x", 0x00}, Case{"", 0x00}}) {
        SCOPED_TRACE(c.key);
        fake->ClearRecord();
        link->SendDigit(c.key);
        EXPECT_EQ(fake->writes, std::vector<Bytes>{Bytes{c.code}});
    }
}

TEST_F(ProtocolTest, SendKeySendsTheEightByteKeyMessage) {
    struct Case {
        std::string text;
        Bytes tail;  // KeyKind and the two code bytes
    };
    const Case cases[] = {
        {"CONTROL_SH", {0x03, 0x02, 0x0B}},
        {std::string(CONTROL_AS) + std::string(CONTROL_PUSH_LONG), {0x09, 0x02, 0x0C}},
        {"CONTROL_I5", {0x03, 0x06, 0x05}},
        {"CONTROL_UP", {0x03, 0x01, 0x01}},
        {"CONTROL_0", {0x03, 0x02, 0x0A}},
        {"CONTROL_OFFHOOKCONTROL_PUSH_LONG", {0x09, 0x02, 0x0E}},
        {"A", {0x01, 0x01, 0x06}},
        {"z", {0x01, 0x06, 0x0B}},
        {"\x82\xA9", {0x02, 0x02, 0x01}},  // か
        {"\x82\x60", {0x02, 0x01, 0x06}},  // Ａ
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        fake->ClearRecord();
        link->SendKey(c.text);
        Bytes expected{0xF2, 0x02, 0x01, 0x00, 0x00};
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        EXPECT_EQ(fake->writes, std::vector<Bytes>{expected});
        EXPECT_EQ(fake->CallCount(FakeOp::ReadFile), 0);
    }
}

TEST_F(ProtocolTest, SendKeySendsNothingWithoutAMapping) {
    for (const char* text :
         {"", "\x01", "\x7F", "\x88\x9F" /* a kanji */, "\x82\xEC" /* ゎ */, "CONTROL_XX",
          "control_up", "CONTROL_PUSH_LONG", "CONTROL_UP " /* trailing space */}) {
        SCOPED_TRACE(text);
        link->SendKey(text);
    }
    EXPECT_TRUE(fake->writes.empty());
}

struct Command {
    const char* name;
    std::function<int(CPhoneLink&)> run;
    uint8_t sent;
    uint8_t reply;
};

void PrintTo(const Command& c, std::ostream* os) {
    *os << c.name;
}

class CommandTest : public ProtocolTest, public ::testing::WithParamInterface<Command> {};

TEST_P(CommandTest, SendsItsByteAndWaitsFourReadsForTheReply) {
    const Command& c = GetParam();
    // The reply after three other bytes is the fourth read: still in time.
    fake->Incoming({0x00, 0xC3, 0x11, c.reply});
    EXPECT_EQ(c.run(*link), 1);
    EXPECT_EQ(fake->writes, std::vector<Bytes>{Bytes{c.sent}});

    // One byte later is too late.
    fake->Incoming({0x00, 0xC3, 0x11, 0x12, c.reply});
    EXPECT_EQ(c.run(*link), 0);
}

TEST_P(CommandTest, SilentPhoneFailsAfterFourTimedOutReads) {
    const uint64_t start = fake->Now();
    EXPECT_EQ(GetParam().run(*link), 0);
    EXPECT_EQ(fake->Now() - start, 4u * 540u);
    EXPECT_EQ(fake->CallsStartingWith("ReadFile"), std::vector<std::string>(12, "ReadFile(1)"));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandTest,
    ::testing::Values(
        Command{"Answer", [](CPhoneLink& l) { return l.Answer(); }, 0xA7, 0xAF},
        Command{"HoldCall", [](CPhoneLink& l) { return l.HoldCall(); }, 0x82, 0x83},
        Command{"EndHeldCall", [](CPhoneLink& l) { return l.EndHeldCall(); }, 0x82, 0x82},
        Command{"ResumeCall", [](CPhoneLink& l) { return l.ResumeCall(); }, 0xA7, 0xA7}));

TEST_F(ProtocolTest, HangUpWithoutOutputsReadsNothing) {
    fake->Incoming({0xA6, 0xE2, 0x91, 0xAA});
    EXPECT_EQ(link->HangUp(), 1);
    EXPECT_EQ(fake->writes, std::vector<Bytes>{Bytes{0xA6}});
    EXPECT_EQ(fake->CallCount(FakeOp::ReadFile), 0);
    EXPECT_EQ(fake->Now(), 0u);
}

TEST_F(ProtocolTest, HangUpReadsChargeAndBlock) {
    struct Case {
        const char* name;
        Bytes phone;
        bool wantCharge;
        bool wantBlock;
        int charge;
        Bytes block2;
    };
    const Case cases[] = {
        {"ended", {0xA6, 0xE2, 0x95, 0x9A, 0xAA, 0xE7, 0x01, 0x02}, true, true, 50, {1, 2}},
        {"ended while ringing", {0xA4, 0xE2, 0x9A, 0xAA, 0xE7, 0x03, 0x04}, true, true, 0, {3, 4}},
        {"no charge marker", {0xA6, 0xE7, 0x05, 0x06}, true, true, -2, {0, 0}},
        {"no block marker", {0xA6, 0xE2, 0x91, 0xAA}, true, true, 1, {0, 0}},
        {"block only", {0xE7, 0x07, 0x08}, false, true, 99, {7, 8}},
        {"charge only", {0xA6, 0xE2, 0x92, 0xAA, 0xE7, 0x01, 0x02}, true, false, 2, {9, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link->ClearBuf(1);
        fake->ClearRecord();
        fake->Incoming(c.phone);
        int charge = 99;
        uint8_t block2[2] = {9, 9};
        EXPECT_EQ(link->HangUp(c.wantCharge ? &charge : nullptr, c.wantBlock ? block2 : nullptr),
                  1);
        EXPECT_EQ(fake->writes, std::vector<Bytes>{Bytes{0xA6}});
        EXPECT_EQ(charge, c.charge);
        EXPECT_EQ(Bytes(block2, block2 + 2), c.block2);
    }
}

TEST_F(ProtocolTest, HangUpWaitsForTheChargeMarkerWithRequestTwo) {
    int charge = 0;
    uint8_t block2[2] = {9, 9};
    const uint64_t start = fake->Now();
    EXPECT_EQ(link->HangUp(&charge, block2), 1);
    EXPECT_EQ(charge, -2);
    EXPECT_EQ(Bytes(block2, block2 + 2), (Bytes{0, 0}));
    // End reply 4 x 540, charge marker 4 x (3 x (16 x 2 + 64) + 300), block 4 x 540.
    EXPECT_EQ(fake->Now() - start, 2160u + 2352u + 2160u);
    EXPECT_EQ(fake->CallsStartingWith("ReadFile(2)").size(), 12u);
}

TEST_F(ProtocolTest, HangUpChargeStopsWhenThePhoneFallsSilent) {
    fake->Incoming({0xA6, 0xE2, 0x95, 0x91});
    int charge = 0;
    EXPECT_EQ(link->HangUp(&charge), 1);
    // A charge cut short is none, not the digits that came.
    EXPECT_EQ(charge, NO_CHARGE);
}

}  // namespace
