// Opening and closing the port by the step scripts of a PortProfile record.

#include <algorithm>
#include <string>
#include <vector>

#include "PhoneLinkFixture.h"

namespace {

using Texts = std::vector<std::string>;

constexpr uint8_t END = 0xFF;

class ScriptTest : public PhoneLinkTest {
protected:
    void SetUp() override {
        PhoneLinkTest::SetUp();
        link->m_cable = -1;
        StartLog();
    }

    PortProfile& Fill(int index, const Bytes& openSteps, const Bytes& openData = {},
                      const Bytes& closeSteps = {END}, const Bytes& closeData = {}) {
        PortProfile& p = link->m_profile[index];
        p = PortProfile{};
        p.filled = true;
        p.inQueue = 1024;
        p.outQueue = 2048;
        p.timeouts = CommTimeouts{16, 16, 64, 64, 1024};
        std::copy(openSteps.begin(), openSteps.end(), p.openSteps);
        std::copy(openData.begin(), openData.end(), p.openData);
        std::copy(closeSteps.begin(), closeSteps.end(), p.closeSteps);
        std::copy(closeData.begin(), closeData.end(), p.closeData);
        return p;
    }

    // The log from the first line equal to `from` on.
    Texts LogFrom(const std::string& from) const {
        const Texts all = LogTexts();
        auto it = std::find(all.begin(), all.end(), from);
        return Texts(it, all.end());
    }
};

TEST_F(ScriptTest, OpenScriptRunsEveryStepInOrder) {
    PortProfile& p =
        Fill(0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, {2, 'O', 'K', 3, 'A', 'B', 'C'});
    p.dcb.BaudRate = 19200;
    p.dcb.fOutxCtsFlow = 1;
    p.dcb.fDtrControl = COMM_DTR_CONTROL_ENABLE;
    p.dcb.fRtsControl = COMM_RTS_CONTROL_HANDSHAKE;
    p.dcb.fAbortOnError = 1;
    p.dcb.XonLim = 10;
    p.dcb.XoffLim = 20;
    p.dcb.ByteSize = 7;
    p.dcb.Parity = COMM_ODDPARITY;
    p.dcb.StopBits = COMM_TWOSTOPBITS;
    // Fields the step does not take from the record.
    p.dcb.fBinary = 0;
    p.dcb.fParity = 1;
    p.dcb.fTXContinueOnXoff = 1;
    p.dcb.fOutX = 1;
    p.dcb.fInX = 1;
    p.dcb.fErrorChar = 1;
    p.dcb.fNull = 1;
    p.dcb.XonChar = 0x55;
    link->m_port = 1;
    // The phone's "OK" comes just after the purge.
    fake->IncomingAt(1, {'O', 'K'});

    EXPECT_EQ(link->CommOpen(0), 1);
    EXPECT_EQ(
        fake->calls,
        (Texts{"Open(COM2)", "SetupComm(1024,2048)", "SetCommTimeouts(16,16,64,64,1024)",
               "GetCommState()", "SetCommState()", "PurgeComm(15)", "ReadFile(1)", "ReadFile(1)",
               "WriteFile(3)", "Sleep(50)", "EscapeCommFunction(5)", "EscapeCommFunction(3)",
               "EscapeCommFunction(6)", "EscapeCommFunction(4)", "ClearCommError()"}));
    EXPECT_EQ(fake->written, (Bytes{'A', 'B', 'C'}));
    EXPECT_EQ(LogTexts(),
              (Texts{"CommOpen2() Called (COM2)",
                     "Cable:-1  A Part of Product Code:",
                     "Setup Success",
                     "SetTimeouts Success",
                     "DCB 1c,4b00,1,0,1,0,1,0,0,0,0,0,0,2,1,0,0,a,14,7,1,2,11,13,0,0,0,0",
                     "SetDcb Success",
                     "Purge Done",
                     "WaitData(0x4f) Called",
                     "CommReadByte() Success (0x4f) time 1",
                     "WaitData(0x4f) Success",
                     "WaitData(0x4b) Called",
                     "CommReadByte() Success (0x4b) time 1",
                     "WaitData(0x4b) Success",
                     "Read Success",
                     "CommWrite() Written 3 Byte(s)",
                     "Write Done",
                     "Sleep Done",
                     "SetDtr Done",
                     "SetRts Done",
                     "ClrDtr Done",
                     "ClrRts Done",
                     "Returned Error 0x0000",
                     "COMSTAT 0,0,0,0,0,0,0,0,0,0",
                     "CommOpen2() Success"}));
}

TEST_F(ScriptTest, ScriptThatEndsAtOnceOpensWithoutTouchingTheSettings) {
    for (uint8_t end : {11, 12, 0x80, 0xFF}) {
        SCOPED_TRACE(int{end});
        Fill(0, {end, 0, 1, 2});
        fake->ClearRecord();
        EXPECT_EQ(link->CommOpen(0), 1);
        EXPECT_EQ(fake->calls, (Texts{"Open(COM1)", "ClearCommError()"}));
        EXPECT_EQ(LogTexts().back(), "CommOpen2() Success");
        ASSERT_EQ(link->CommClose(0), 1);
    }
}

TEST_F(ScriptTest, ReadThatTimesOutIsLoggedAndTheScriptGoesOn) {
    Fill(0, {1, 4, 6, END}, {2, 'X', 'Y'});
    // 'X' never comes; 'Y' comes while the first read for it waits.
    fake->IncomingAt(4 * 540 + 10, {'Y'});
    EXPECT_EQ(link->CommOpen(0), 1);
    EXPECT_EQ(LogFrom("Cable:-1  A Part of Product Code:"),
              (Texts{"Cable:-1  A Part of Product Code:",
                     "SetTimeouts Success",
                     "WaitData(0x58) Called",
                     "CommReadByte() Sleep",
                     "CommReadByte() Sleep",
                     "CommReadByte() Sleep",
                     "CommReadByte() Time Out",
                     "CommReadByte() Sleep",
                     "CommReadByte() Sleep",
                     "CommReadByte() Sleep",
                     "CommReadByte() Time Out",
                     "CommReadByte() Sleep",
                     "CommReadByte() Sleep",
                     "CommReadByte() Sleep",
                     "CommReadByte() Time Out",
                     "CommReadByte() Sleep",
                     "CommReadByte() Sleep",
                     "CommReadByte() Sleep",
                     "CommReadByte() Time Out",
                     "WaitData(0x58) Time Out",
                     "Read X Failure",
                     "WaitData(0x59) Called",
                     "CommReadByte() Success (0x59) time 1",
                     "WaitData(0x59) Success",
                     "Read Success",
                     "Sleep Done",
                     "Returned Error 0x0000",
                     "COMSTAT 0,0,0,0,0,0,0,0,0,0",
                     "CommOpen2() Success"}));
}

struct StepFailure {
    uint8_t step;
    FakeOp op;
    const char* line;
};

void PrintTo(const StepFailure& c, std::ostream* os) {
    *os << "step" << int{c.step} << "_op" << static_cast<int>(c.op);
}

class StepFailureTest : public ScriptTest, public ::testing::WithParamInterface<StepFailure> {};

TEST_P(StepFailureTest, FailingStepEndsTheOpenAndLeavesThePortOpen) {
    Fill(0, {3, GetParam().step, 5, END}, {1, 'W'});
    fake->Fail(GetParam().op);
    EXPECT_EQ(link->CommOpen(0), 0);
    EXPECT_EQ(LogTexts().back(), GetParam().line);
    EXPECT_TRUE(fake->written.empty());
    EXPECT_EQ(fake->CallCount(FakeOp::ClearCommError), 0);
    EXPECT_TRUE(fake->IsOpen());
    EXPECT_EQ(link->CommClose(0), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StepFailureTest,
    ::testing::Values(StepFailure{0, FakeOp::SetupComm, "CommOpen2() Failure (Setup)"},
                      StepFailure{1, FakeOp::SetCommTimeouts, "CommOpen2() Failure (SetTimeouts)"},
                      StepFailure{2, FakeOp::GetCommState, "CommOpen2() Failure (GetCommState())"},
                      StepFailure{2, FakeOp::SetCommState, "CommOpen2() Failure (SetDcb)"}));

TEST_F(ScriptTest, PortThatCannotBeOpenedFailsBeforeTheScript) {
    Fill(0, {5, END}, {1, 'W'});
    fake->Fail(FakeOp::Open);
    EXPECT_EQ(link->CommOpen(0), 0);
    EXPECT_EQ(LogTexts().back(), "CommOpen2() Failure (CreateFile())");
    EXPECT_TRUE(fake->written.empty());
}

TEST_F(ScriptTest, UnfilledRecordFailsTheOpenWithoutOpeningThePort) {
    EXPECT_EQ(link->CommOpen(0), 0);
    EXPECT_EQ(fake->CallCount(FakeOp::Open), 0);
    EXPECT_EQ(LogTexts(), (Texts{"CommOpen2() Called (COM1)", "Cable:-1  A Part of Product Code:",
                                 "CommOpen2() Failure (No Script)"}));
    // A filled second record does not help mode 0.
    Fill(1, {END});
    EXPECT_EQ(link->CommOpen(0), 0);
    EXPECT_EQ(link->CommOpen(1), 1);
}

TEST_F(ScriptTest, ModeChoosesTheRecordForBothScripts) {
    Fill(0, {5, END}, {1, 'a'}, {5, END}, {1, 'A'});
    Fill(1, {5, END}, {1, 'b'}, {5, END}, {1, 'B'});
    for (int mode : {0, 1, 2}) {
        SCOPED_TRACE(mode);
        fake->ClearRecord();
        ASSERT_EQ(link->CommOpen(mode), 1);
        ASSERT_EQ(link->CommClose(mode), 1);
        const Bytes expected = mode == 0 ? Bytes{'a', 'A'} : Bytes{'b', 'B'};
        EXPECT_EQ(fake->written, expected);
    }
}

TEST_F(ScriptTest, CloseScriptKnowsOnlyTheLineSteps) {
    for (uint8_t first : {0, 1, 2, 11}) {
        SCOPED_TRACE(int{first});
        Fill(0, {END}, {}, {first, 5, 6, 3, END}, {1, 'Q'});
        ASSERT_EQ(link->CommOpen(0), 1);
        fake->ClearRecord();
        EXPECT_EQ(link->CommClose(0), 1);
        EXPECT_EQ(fake->calls, (Texts{"Close()"}));
        const Texts texts = LogTexts();
        EXPECT_EQ(Texts(texts.end() - 2, texts.end()),
                  (Texts{"CommClose2() Called", "CommClose2() Success\r\n"}));
    }
    EXPECT_NE(RawLog().find("\tCommClose2() Success\r\n\r\n"), std::string::npos);
}

TEST_F(ScriptTest, CloseScriptRunsItsSteps) {
    Fill(0, {END}, {}, {3, 5, 6, 7, 8, 9, 10, 4, END}, {2, 'x', 'y', 1, 'k'});
    ASSERT_EQ(link->CommOpen(0), 1);
    fake->ClearRecord();
    fake->ReplyTo({'x', 'y'}, {'k'});
    EXPECT_EQ(link->CommClose(0), 1);
    EXPECT_EQ(fake->calls,
              (Texts{"PurgeComm(15)", "WriteFile(2)", "Sleep(50)", "EscapeCommFunction(5)",
                     "EscapeCommFunction(3)", "EscapeCommFunction(6)", "EscapeCommFunction(4)",
                     "ReadFile(1)", "Close()"}));
    EXPECT_EQ(LogFrom("CommClose2() Called"),
              (Texts{"CommClose2() Called", "Purge Done", "CommWrite() Written 2 Byte(s)",
                     "Write Done", "Sleep Done", "SetDtr Done", "SetRts Done", "ClrDtr Done",
                     "ClrRts Done", "WaitData(0x6b) Called", "CommReadByte() Success (0x6b) time 1",
                     "WaitData(0x6b) Success", "Read Successs", "CommClose2() Success\r\n"}));
}

TEST_F(ScriptTest, CloseReadAsksForEveryByteStillExpected) {
    Fill(0, {END}, {}, {4, END}, {3, 'a', 'b', 'c'});
    ASSERT_EQ(link->CommOpen(0), 1);

    // Silent phone: each expected byte gets four reads of three port reads.
    fake->ClearRecord();
    EXPECT_EQ(link->CommClose(0), 1);
    Texts expected(12, "ReadFile(3)");
    expected.insert(expected.end(), 12, "ReadFile(2)");
    expected.insert(expected.end(), 12, "ReadFile(1)");
    EXPECT_EQ(fake->CallsStartingWith("ReadFile"), expected);
    const Texts texts = LogTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Read a Failure"), 1);
    EXPECT_EQ(texts[texts.size() - 2], "Read Successs");

    // The whole reply at once: one port read.
    ASSERT_EQ(link->CommOpen(0), 1);
    fake->ClearRecord();
    fake->Incoming({'a', 'b', 'c'});
    EXPECT_EQ(link->CommClose(0), 1);
    EXPECT_EQ(fake->CallsStartingWith("ReadFile"), (Texts{"ReadFile(3)"}));
}

TEST_F(ScriptTest, CloseOfANeverOpenedPortFails) {
    Fill(0, {END});
    EXPECT_EQ(link->CommClose(0), 0);
    EXPECT_EQ(LogTexts().back(), "CommClose2() Failure\r\n");
}

// --- scripts that would run past their areas ---

TEST_F(ScriptTest, AtMostTwentyStepsRun) {
    Fill(0, Bytes(PORT_SCRIPT_STEPS, 6));
    const uint64_t start = fake->Now();
    EXPECT_EQ(link->CommOpen(0), 1);
    EXPECT_EQ(fake->Now() - start, 20u * 50u);
}

TEST_F(ScriptTest, WriteOperandsStayInsideTheDataArea) {
    // Three full writes and one of 10 bring the cursor to 395, where only 4
    // bytes are left for a count of 127; then the area is used up.
    Bytes data;
    for (int i = 0; i < 3; ++i) {
        data.push_back(127);
        data.insert(data.end(), 127, 'f');
    }
    data.push_back(10);
    data.insert(data.end(), 10, 't');
    data.push_back(127);
    data.insert(data.end(), {'1', '2', '3', '4'});
    ASSERT_EQ(data.size(), static_cast<size_t>(PORT_SCRIPT_DATA));
    Fill(0, {5, 5, 5, 5, 5, 5, 4, END}, data);

    EXPECT_EQ(link->CommOpen(0), 1);
    std::vector<size_t> sizes;
    for (const auto& w : fake->writes) sizes.push_back(w.size());
    EXPECT_EQ(sizes, (std::vector<size_t>{127, 127, 127, 10, 4, 0}));
    EXPECT_EQ(fake->writes[4], (Bytes{'1', '2', '3', '4'}));
    EXPECT_EQ(fake->CallCount(FakeOp::ReadFile), 0);
    const Texts texts = LogTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Operand Count 127 Cut To 4"), 1);
}

TEST_F(ScriptTest, ReadOperandsStayInsideTheDataArea) {
    // Three full writes and one of 14 leave the cursor at 399, whose count
    // of 5 has no bytes left after it.
    Bytes data;
    for (int n : {127, 127, 127, 14}) {
        data.push_back(static_cast<uint8_t>(n));
        data.insert(data.end(), static_cast<size_t>(n), 'f');
    }
    data.push_back(5);
    ASSERT_EQ(data.size(), static_cast<size_t>(PORT_SCRIPT_DATA));
    Fill(0, {5, 5, 5, 5, 4, 4, END}, data);

    EXPECT_EQ(link->CommOpen(0), 1);
    EXPECT_EQ(fake->CallCount(FakeOp::ReadFile), 0);
    const Texts texts = LogTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Operand Count 5 Cut To 0"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Read Success"), 2);
}

TEST_F(ScriptTest, NegativeCountsNeverMoveTheCursorBack) {
    // -1 then -128 as counts: nothing is written or read, and each step moves
    // on by the count byte alone.
    Fill(0, {5, 4, 5, END}, {0xFF, 0x80, 2, 'h', 'i'});
    EXPECT_EQ(link->CommOpen(0), 1);
    EXPECT_EQ(fake->writes, (std::vector<Bytes>{Bytes{}, Bytes{'h', 'i'}}));
    EXPECT_EQ(fake->CallCount(FakeOp::ReadFile), 0);
}

}  // namespace
