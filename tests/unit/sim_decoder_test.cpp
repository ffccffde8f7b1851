// What the simulated phone prints and answers for the bytes the PC sends.

#include <gtest/gtest.h>

#include <random>

#include "SimTestPhones.h"
#include "sim/WireDecoder.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Lines = std::vector<std::string>;
using State = SimCallState;
using Clock = WireDecoder::Clock;

Bytes Text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

struct Received {
    Lines lines;
    Bytes replies;
    State state;
};

// Feeds the bytes as one burst, then lets any open message time out.
Received Receive(SimPhone& phone, const Bytes& bytes) {
    WireDecoder decoder;
    Received result;
    const auto start = Clock::now();
    std::vector<PcMessage> messages;
    auto handle = [&] {
        for (const PcMessage& m : messages) {
            SimOutcome outcome = phone.Receive(m);
            result.lines.insert(result.lines.end(), outcome.lines.begin(), outcome.lines.end());
            Bytes sent = SentBytes(outcome);
            result.replies.insert(result.replies.end(), sent.begin(), sent.end());
        }
        messages.clear();
    };
    for (uint8_t b : bytes) {
        decoder.Feed(b, start, phone.State(), messages);
        handle();
    }
    decoder.Expire(start + WireDecoder::kGapTimeout, phone.State(), messages);
    handle();
    EXPECT_FALSE(decoder.Deadline().has_value());
    result.state = phone.State();
    return result;
}

struct Case {
    const char* name;
    State state;
    int cable;
    Bytes bytes;
    Lines lines;
    Bytes replies;
    State after;
};

const Bytes kKey = {0xF2, 0x02, 0x01, 0x00, 0x00};
Bytes KeyMessage(uint8_t kind, uint8_t a, uint8_t b) {
    Bytes m = kKey;
    m.insert(m.end(), {kind, a, b});
    return m;
}

const Case kCases[] = {
    // Calls the PC places.
    {"dial with caller ID",
     State::Idle,
     0,
     {0xA7, 0xEB, 0x9A, 0x93, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x86},
     {"<- DIAL 0312345678 caller-id=on"},
     {0x26},
     State::Placing},
    {"dial without caller ID",
     State::Idle,
     0,
     {0xA7, 0xEA, 0x9B, 0x9C, 0x86},
     {"<- DIAL *# caller-id=off"},
     {0x26},
     State::Placing},
    {"no dial key becomes ?",
     State::Idle,
     0,
     {0xA7, 0xEA, 0x91, 0x00, 0x92, 0x86},
     {"<- DIAL 1?2 caller-id=off"},
     {0x26},
     State::Placing},
    {"off hook without number",
     State::Idle,
     0,
     {0xA7, 0xEB},
     {"<- OFFHOOK caller-id=on"},
     {0x21},
     State::OffHook},
    {"off hook then hang-up",
     State::Idle,
     0,
     {0xA7, 0xEA, 0xA6},
     {"<- OFFHOOK caller-id=off", "<- HANGUP"},
     {0x21, 0xA6},
     State::Idle},
    {"dial cut short",
     State::Idle,
     0,
     {0xA7, 0xEB, 0x9A, 0x93, 0xA6},
     {"<- DIAL 03 caller-id=on (unterminated)", "<- HANGUP"},
     {0x26, 0xA6},
     State::Idle},

    // Call commands.
    {"answer", State::Ringing, 0, {0xA7}, {"<- ANSWER"}, {0xAF}, State::OnLine},
    {"resume", State::Held, 0, {0xA7}, {"<- RESUME"}, {0xA7}, State::OnLine},
    {"hold while ringing", State::Ringing, 0, {0x82}, {"<- HOLD"}, {0x83}, State::Held},
    {"hold on line", State::OnLine, 0, {0x82}, {"<- HOLD"}, {0x83}, State::Held},
    {"end held call", State::Held, 0, {0x82}, {"<- END-HELD"}, {0x82}, State::Idle},
    {"hold with no call", State::Idle, 0, {0x82}, {"<- HOLD"}, {}, State::Idle},
    {"hang-up on line",
     State::OnLine,
     0,
     {0xA6},
     {"<- HANGUP"},
     {0xA6, 0xE2, 0x91, 0x92, 0x9A, 0xAA, 0xE7, 0x67, 0x89},
     State::Idle},
    {"hang-up while held",
     State::Held,
     0,
     {0xA6},
     {"<- HANGUP"},
     {0xA6, 0xE2, 0x91, 0x92, 0x9A, 0xAA, 0xE7, 0x67, 0x89},
     State::Idle},
    {"hang-up while ringing", State::Ringing, 0, {0xA6}, {"<- HANGUP"}, {0xA4, 0xA6}, State::Idle},
    {"hang-up while placing", State::Placing, 0, {0xA6}, {"<- HANGUP"}, {0xA6}, State::Idle},
    {"hang-up at start-up", State::Idle, 0, {0xA6}, {"<- HANGUP"}, {}, State::Idle},
    {"digits on line",
     State::OnLine,
     0,
     {0x95, 0x9A, 0x9B, 0x9C},
     {"<- DIGIT 5", "<- DIGIT 0", "<- DIGIT *", "<- DIGIT #"},
     {},
     State::OnLine},
    {"a lone 0xA7 on line", State::OnLine, 0, {0xA7}, {"<- ?? 0xa7"}, {}, State::OnLine},
    {"0xA7 then a digit while idle",
     State::Idle,
     0,
     {0xA7, 0x95},
     {"<- ?? 0xa7", "<- DIGIT 5"},
     {},
     State::Idle},

    // Keys and characters.
    {"key", State::Idle, 0, KeyMessage(3, 2, 5), {"<- KEY CONTROL_5"}, {}, State::Idle},
    {"long key", State::Idle, 0, KeyMessage(9, 2, 12), {"<- KEY CONTROL_AS long"}, {}, State::Idle},
    {"# is 11", State::Idle, 0, KeyMessage(3, 2, 11), {"<- KEY CONTROL_SH"}, {}, State::Idle},
    {"function key", State::Idle, 0, KeyMessage(3, 6, 5), {"<- KEY CONTROL_I5"}, {}, State::Idle},
    {"no such key", State::Idle, 0, KeyMessage(3, 7, 1), {"<- KEY (7,1)"}, {}, State::Idle},
    {"odd key kind", State::Idle, 0, KeyMessage(5, 1, 2), {"<- KEY kind=5 (1,2)"}, {}, State::Idle},
    {"wide kana is the plain one",
     State::Idle,
     0,
     KeyMessage(2, 2, 1),
     {"<- CHAR か wide (2,1)"},
     {},
     State::Idle},
    {"narrow letter",
     State::Idle,
     0,
     KeyMessage(1, 4, 6),
     {"<- CHAR a narrow (4,6)"},
     {},
     State::Idle},
    {"wide い before ゐ",
     State::Idle,
     0,
     KeyMessage(2, 1, 2),
     {"<- CHAR い wide (1,2)"},
     {},
     State::Idle},
    {"wide は before ば ぱ",
     State::Idle,
     0,
     KeyMessage(2, 6, 1),
     {"<- CHAR は wide (6,1)"},
     {},
     State::Idle},
    {"narrow half-width kana",
     State::Idle,
     0,
     KeyMessage(1, 1, 2),
     {"<- CHAR ｲ narrow (1,2)"},
     {},
     State::Idle},
    {"narrow yen",
     State::Idle,
     0,
     KeyMessage(1, 8, 14),
     {"<- CHAR ¥ narrow (8,14)"},
     {},
     State::Idle},
    {"wide voicing mark",
     State::Idle,
     0,
     KeyMessage(2, 10, 4),
     {"<- CHAR ゛ wide (10,4)"},
     {},
     State::Idle},
    {"wide letter",
     State::Idle,
     0,
     KeyMessage(2, 3, 11),
     {"<- CHAR Ｚ wide (3,11)"},
     {},
     State::Idle},
    {"empty cell",
     State::Idle,
     0,
     KeyMessage(1, 7, 14),
     {"<- CHAR (none) narrow (7,14)"},
     {},
     State::Idle},
    {"cell out of the table",
     State::Idle,
     0,
     KeyMessage(2, 200, 255),
     {"<- CHAR (none) wide (200,255)"},
     {},
     State::Idle},

    // Handshakes, answered for the cable the phone plays.
    {"cable 2 handshake",
     State::Idle,
     2,
     Text("AT%Z\r"),
     {"<- AT AT%Z"},
     Text("\r\nCT\r\n"),
     State::Idle},
    {"cable 5 handshake",
     State::Idle,
     5,
     Text("AT%Z\r"),
     {"<- AT AT%Z"},
     Text("\r\nCT\r\n"),
     State::Idle},
    {"cable 6 handshake",
     State::Idle,
     6,
     Text("AT%Z\r"),
     {"<- AT AT%Z"},
     Text("\r\nCT\r\n"),
     State::Idle},
    {"cable 0 does not answer", State::Idle, 0, Text("AT%Z\r"), {"<- AT AT%Z"}, {}, State::Idle},
    {"cable 3 lines",
     State::Idle,
     3,
     Text("AT+K1=0\r\nATZ80\r\n"),
     {"<- AT AT+K1=0", "<- AT ATZ80"},
     {},
     State::Idle},
    {"cable 7 handshake",
     State::Idle,
     7,
     Text("AT\r\nAT+CPBMD\r\n"),
     {"<- AT AT", "<- AT AT+CPBMD"},
     Text("\r\nOK\r\n"),
     State::Idle},
    {"cable 7 ignores the cable 2 line",
     State::Idle,
     7,
     Text("AT%Z\r"),
     {"<- AT AT%Z"},
     {},
     State::Idle},
    {"unfinished line is not answered",
     State::Idle,
     7,
     Text("AT"),
     {"<- AT AT (unterminated)"},
     {},
     State::Idle},
    {"escape", State::Idle, 2, Text("+++"), {"<- ESCAPE +++"}, {}, State::Idle},
    {"memory cable escape",
     State::Idle,
     0,
     {0x1F, 0x07, 0x0D},
     {"<- ESCAPE 0x1f 0x07 0x0d"},
     {},
     State::Idle},

    // Garbage and resynchronisation.
    {"broken key header",
     State::Idle,
     0,
     {0xF2, 0x55},
     {"<- ?? 0xf2", "<- ?? 0x55"},
     {},
     State::Idle},
    {"key message cut off",
     State::Idle,
     0,
     {0xF2, 0x02, 0x01},
     {"<- ?? 0xf2", "<- ?? 0x02", "<- ?? 0x01"},
     {},
     State::Idle},
    {"resync on a key inside garbage",
     State::Idle,
     0,
     {0xF2, 0xF2, 0x02, 0x01, 0x00, 0x00, 0x03, 0x01, 0x01},
     {"<- ?? 0xf2", "<- KEY CONTROL_UP"},
     {},
     State::Idle},
    {"A without T", State::Idle, 0, Text("AX"), {"<- ?? 0x41", "<- ?? 0x58"}, {}, State::Idle},
    {"line end alone", State::Idle, 0, Text("\n"), {"<- ?? 0x0a"}, {}, State::Idle},
    {"two pluses then a key",
     State::Idle,
     0,
     {'+', '+', 0xA6},
     {"<- ?? 0x2b", "<- ?? 0x2b", "<- HANGUP"},
     {},
     State::Idle},
};

class DecoderCase : public testing::TestWithParam<Case> {};

TEST_P(DecoderCase, PrintsAndAnswers) {
    const Case& c = GetParam();
    SimPhone phone = PhoneIn(c.state, c.cable);
    ASSERT_EQ(phone.State(), c.state);
    Received got = Receive(phone, c.bytes);
    EXPECT_EQ(got.lines, c.lines);
    EXPECT_EQ(HexBytes(got.replies), HexBytes(c.replies));
    EXPECT_EQ(got.state, c.after);
}

INSTANTIATE_TEST_SUITE_P(Bytes, DecoderCase, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                             std::string name = std::to_string(info.index) + "_";
                             for (char ch : std::string_view(info.param.name)) {
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             }
                             return name;
                         });

TEST(SimDecoder, ChargeOfAHangUpFollowsTheChargeCommand) {
    SimPhone phone = PhoneIn(State::OnLine);
    ApplyLine(phone, "charge 3050");
    EXPECT_EQ(HexBytes(Receive(phone, {0xA6}).replies), "a6 e2 93 9a 95 9a aa e7 67 89");
}

TEST(SimDecoder, ReportsAfterADialComeLaterAndNotWhenSilent) {
    SimPhone phone;
    SimOutcome outcome = phone.Receive({PcMessageKind::Dial, "03", true});
    ASSERT_EQ(outcome.sends.size(), 1u);
    EXPECT_EQ(outcome.sends[0].delayMs, SimPhone::kReportDelayMs);

    SimPhone silent;
    ApplyLine(silent, "silent");
    EXPECT_EQ(SentBytes(silent.Receive({PcMessageKind::Dial, "03", true})), Bytes{});
    EXPECT_EQ(silent.State(), State::Placing);
    // Replies to the PC's commands still come.
    SimPhone silentRinging = PhoneIn(State::Ringing);
    ApplyLine(silentRinging, "silent");
    EXPECT_EQ(HexBytes(Receive(silentRinging, {0xA7}).replies), "af");
}

TEST(SimDecoder, WaitsForTheGapBeforeClosingAnOffHookMessage) {
    WireDecoder decoder;
    std::vector<PcMessage> out;
    const auto t0 = Clock::now();
    EXPECT_FALSE(decoder.Deadline().has_value());
    decoder.Feed(0xA7, t0, State::Idle, out);
    decoder.Feed(0xEA, t0, State::Idle, out);
    ASSERT_TRUE(decoder.Deadline().has_value());
    EXPECT_EQ(*decoder.Deadline(), t0 + WireDecoder::kGapTimeout);
    decoder.Expire(t0 + WireDecoder::kGapTimeout / 2, State::Idle, out);
    EXPECT_TRUE(out.empty());
    decoder.Expire(t0 + WireDecoder::kGapTimeout, State::Idle, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].kind, PcMessageKind::OffHook);
}

TEST(SimDecoder, ResetForgetsAHalfMessage) {
    WireDecoder decoder;
    std::vector<PcMessage> out;
    const auto t0 = Clock::now();
    for (uint8_t b : {0xF2, 0x02, 0x01}) decoder.Feed(b, t0, State::Idle, out);
    decoder.Reset();
    EXPECT_FALSE(decoder.Deadline().has_value());
    decoder.Feed(0xA6, t0, State::Idle, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].kind, PcMessageKind::HangUp);
}

TEST(SimDecoder, OverlongNumberAndLineStayBounded) {
    SimPhone phone;
    Bytes dial = {0xA7, 0xEA};
    dial.insert(dial.end(), 100, 0x91);
    dial.push_back(0x86);
    Received got = Receive(phone, dial);
    ASSERT_FALSE(got.lines.empty());
    EXPECT_EQ(got.lines[0], "<- DIAL " + std::string(WireDecoder::kMaxNumber, '1') +
                                " caller-id=off (unterminated)");
    EXPECT_EQ(got.lines.size(), 1 + (100 - WireDecoder::kMaxNumber) + 1);  // digits, then 0x86

    SimPhone modem(7);
    Received at = Receive(modem, Text("AT" + std::string(200, 'Z') + "\r\n"));
    ASSERT_FALSE(at.lines.empty());
    EXPECT_EQ(at.lines[0].size(), std::string("<- AT ").size() + WireDecoder::kMaxAtLine +
                                      std::string(" (unterminated)").size());
}

// Random bytes in every state: every byte ends up in some line, nothing stays
// open after the gap, and no line is empty.
TEST(SimDecoder, SurvivesRandomBytes) {
    std::mt19937 random(1234);
    for (State state : {State::Idle, State::OffHook, State::Placing, State::Ringing, State::OnLine,
                        State::Held}) {
        for (int round = 0; round < 50; ++round) {
            SimPhone phone = PhoneIn(state, round % 8);
            Bytes bytes(1 + random() % 300);
            for (uint8_t& b : bytes) {
                // Mostly protocol bytes, so that messages start and break off.
                static const uint8_t kLikely[] = {0xA7, 0xEA, 0xEB, 0x86, 0x91, 0x9C, 0xF2, 0x02,
                                                  0x01, 0x00, 'A',  'T',  '\r', '\n', '+',  0x82};
                b = random() % 2 ? kLikely[random() % sizeof kLikely] : random() % 256;
            }
            Received got = Receive(phone, bytes);
            EXPECT_FALSE(got.lines.empty());
            for (const std::string& line : got.lines) EXPECT_GT(line.size(), 3u) << line;
        }
    }
}

}  // namespace
