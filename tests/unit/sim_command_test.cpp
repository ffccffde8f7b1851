// The simulated phone's command lines: how they parse, and what each sends in
// each call state.

#include <gtest/gtest.h>

#include "SimTestPhones.h"

namespace {

using State = SimCallState;

struct ParseCase {
    const char* line;
    bool isCommand;
    const char* error;  // empty: none
    SimCommandKind kind = SimCommandKind::Help;
    int64_t value = -1;
    const char* text = "";
    std::vector<uint8_t> bytes = {};
};

const ParseCase kParseCases[] = {
    {"ring 0312345678", true, "", SimCommandKind::Ring, -1, "0312345678"},
    {"ring", true, "", SimCommandKind::Ring},
    {"  ring   *#0  ", true, "", SimCommandKind::Ring, -1, "*#0"},
    {"ring 03-1234", false, "ring: the number may hold only 0-9, * and #"},
    {"ring 1 2", false, "ring: takes at most one number"},
    {"ring-hidden", true, "", SimCommandKind::RingHidden},
    {"offhook", true, "", SimCommandKind::OffHook},
    {"dialing", true, "", SimCommandKind::Dialing},
    {"answer now", false, "answer: takes no argument"},
    {"hangup", true, "", SimCommandKind::HangUp, -1},
    {"hangup 80", true, "", SimCommandKind::HangUp, 80},
    {"hangup 0", true, "", SimCommandKind::HangUp, 0},
    {"hangup -5", false, "hangup: the charge is a number 0..999999999"},
    {"hangup 1000000000", false, "hangup: the charge is a number 0..999999999"},
    {"hangup 12abc", false, "hangup: the charge is a number 0..999999999"},
    {"nocharge", true, "", SimCommandKind::NoCharge},
    {"charge 300", true, "", SimCommandKind::Charge, 300},
    {"charge", false, "charge: needs a charge 0..999999999"},
    {"signal 0", true, "", SimCommandKind::Signal, 0},
    {"signal 4", true, "", SimCommandKind::Signal, 4},
    {"signal 5", false, "signal: needs a level 0..4"},
    {"noservice", true, "", SimCommandKind::NoService},
    {"silent", true, "", SimCommandKind::Silent},
    {"send a5 0xE3 e09aaa", true, "", SimCommandKind::Send, -1, "", {0xA5, 0xE3, 0xE0, 0x9A, 0xAA}},
    {"send", false, "send: needs bytes in hexadecimal"},
    {"send a", false, "send: not hexadecimal bytes: a"},
    {"send 0x", false, "send: not hexadecimal bytes: 0x"},
    {"send gg", false, "send: not hexadecimal bytes: gg"},
    {"sleep 250", true, "", SimCommandKind::Sleep, 250},
    {"sleep", false, "sleep: needs milliseconds 0..3600000"},
    {"sleep 3600001", false, "sleep: needs milliseconds 0..3600000"},
    {"expect <- DIAL 03", true, "", SimCommandKind::Expect, -1, "<- DIAL 03"},
    {"expect", false, "expect: needs a text to wait for"},
    {"stay", true, "", SimCommandKind::Stay},
    {"state", true, "", SimCommandKind::State},
    {"quit", true, "", SimCommandKind::Quit},
    {"unplug", true, "", SimCommandKind::Unplug},
    {"replug", true, "", SimCommandKind::Replug},
    {"unplug now", false, "unplug: takes no argument"},
    {"quit\r", true, "", SimCommandKind::Quit},
    {"Quit", false, "Quit: unknown command (try help)"},
    {"", false, ""},
    {"   ", false, ""},
    {"# a comment", false, ""},
};

class ParseLine : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseLine, GivesCommandOrError) {
    const ParseCase& c = GetParam();
    SimCommandParse parsed = ParseSimCommand(c.line);
    EXPECT_EQ(parsed.error, c.error);
    ASSERT_EQ(parsed.command.has_value(), c.isCommand);
    if (!c.isCommand) return;
    EXPECT_EQ(parsed.command->kind, c.kind);
    EXPECT_EQ(parsed.command->value, c.value);
    EXPECT_EQ(parsed.command->text, c.text);
    EXPECT_EQ(parsed.command->bytes, c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Lines, ParseLine, testing::ValuesIn(kParseCases));

TEST(SimCommandParse, SendTakesAtMostTheLimit) {
    std::string line = "send";
    for (size_t i = 0; i < kMaxSendBytes; ++i) line += " 00";
    EXPECT_TRUE(ParseSimCommand(line).command.has_value());
    EXPECT_EQ(ParseSimCommand(line + " 00").error, "send: too many bytes");
}

struct ApplyCase {
    State state;
    const char* line;
    const char* bytes;  // as HexBytes prints them
    State after;
    bool refused = false;
};

const ApplyCase kApplyCases[] = {
    {State::Idle, "ring 0312", "a5 e0 9a 93 91 92 aa", State::Ringing},
    {State::Idle, "ring", "a5 e0 aa", State::Ringing},
    {State::Idle, "ring *#", "a5 e0 9b 9c aa", State::Ringing},
    {State::Idle, "ring-hidden", "a5 e3", State::Ringing},
    {State::OnLine, "ring 03", "", State::OnLine, true},
    {State::Ringing, "ring-hidden", "", State::Ringing, true},
    {State::Idle, "offhook", "21", State::OffHook},
    {State::Placing, "offhook", "", State::Placing, true},
    {State::Idle, "dialing", "26", State::Placing},
    {State::OffHook, "dialing", "26", State::Placing},
    {State::OnLine, "dialing", "", State::OnLine, true},
    {State::Placing, "answer", "a7", State::OnLine},
    {State::Ringing, "answer", "a4 a7", State::OnLine},
    {State::Idle, "answer", "", State::Idle, true},
    {State::Held, "answer", "", State::Held, true},
    {State::Ringing, "hold", "a4 83", State::Held},
    {State::OnLine, "hold", "83", State::Held},
    {State::Placing, "hold", "", State::Placing, true},
    {State::Held, "resume", "82 a7", State::OnLine},
    {State::OnLine, "resume", "", State::OnLine, true},
    {State::OnLine, "hangup", "a6 e2 91 92 9a aa e1 01 23 45 e7 67 89", State::Idle},
    {State::OnLine, "hangup 0", "a6 e2 9a aa e1 01 23 45 e7 67 89", State::Idle},
    {State::OnLine, "hangup 1050", "a6 e2 91 9a 95 9a aa e1 01 23 45 e7 67 89", State::Idle},
    {State::Placing, "hangup", "a6", State::Idle},
    {State::Ringing, "hangup", "a4 a6", State::Idle},
    {State::Held, "hangup", "82 a6", State::Idle},
    {State::OffHook, "hangup", "20 a6", State::Idle},
    {State::Idle, "hangup", "", State::Idle, true},
    {State::OnLine, "nocharge", "a6", State::Idle},
    {State::Ringing, "nocharge", "", State::Ringing, true},
    {State::Idle, "signal 0", "c0", State::Idle},
    {State::Idle, "signal 1", "c4", State::Idle},
    {State::Idle, "signal 2", "c8", State::Idle},
    {State::OnLine, "signal 3", "cc", State::OnLine},
    {State::Idle, "signal 4", "cf", State::Idle},
    {State::Ringing, "signal 2", "", State::Ringing},
    {State::Idle, "noservice", "81", State::Idle},
    {State::Held, "noservice", "", State::Held},
    {State::Idle, "silent", "", State::Idle},
    {State::Idle, "charge 50", "", State::Idle},
    {State::Held, "send a5 e3", "a5 e3", State::Held},
    {State::Idle, "state", "", State::Idle},
};

class ApplyCommand : public testing::TestWithParam<ApplyCase> {};

TEST_P(ApplyCommand, SendsWhatFitsTheState) {
    const ApplyCase& c = GetParam();
    SimPhone phone = PhoneIn(c.state);
    ASSERT_EQ(phone.State(), c.state);
    SimOutcome outcome = ApplyLine(phone, c.line);
    EXPECT_EQ(HexBytes(SentBytes(outcome)), c.bytes);
    EXPECT_EQ(phone.State(), c.after);
    if (c.refused) {
        ASSERT_EQ(outcome.lines.size(), 1u);
        EXPECT_EQ(outcome.lines[0].rfind("error: ", 0), 0u) << outcome.lines[0];
        EXPECT_NE(outcome.lines[0].find(SimCallStateName(c.state)), std::string::npos);
    }
    for (const SimSend& send : outcome.sends) EXPECT_EQ(send.delayMs, 0);
}

INSTANTIATE_TEST_SUITE_P(States, ApplyCommand, testing::ValuesIn(kApplyCases));

TEST(SimPhoneStatus, FollowsSignalServiceSilenceAndState) {
    SimPhone phone;
    EXPECT_EQ(phone.StatusByte(), std::optional<uint8_t>(0xCF));
    ApplyLine(phone, "signal 1");
    EXPECT_EQ(phone.StatusByte(), std::optional<uint8_t>(0xC4));
    ApplyLine(phone, "noservice");
    EXPECT_EQ(phone.StatusByte(), std::optional<uint8_t>(0x81));
    ApplyLine(phone, "silent");
    EXPECT_EQ(phone.StatusByte(), std::nullopt);
    EXPECT_TRUE(SentBytes(ApplyLine(phone, "ring")).size() > 0);  // commands still send
    ApplyLine(phone, "hangup");
    ApplyLine(phone, "signal 2");  // a new level ends the silence
    EXPECT_EQ(phone.StatusByte(), std::optional<uint8_t>(0xC8));

    for (State state : {State::OffHook, State::Placing, State::Ringing, State::Held}) {
        EXPECT_EQ(PhoneIn(state).StatusByte(), std::nullopt) << SimCallStateName(state);
    }
    EXPECT_EQ(PhoneIn(State::OnLine).StatusByte(), std::optional<uint8_t>(0xCF));
}

TEST(SimPhoneStatus, StateCommandNamesTheState) {
    SimPhone phone = PhoneIn(State::Held);
    SimOutcome outcome = ApplyLine(phone, "state");
    EXPECT_EQ(outcome.lines, std::vector<std::string>{"state: held"});
}

}  // namespace
