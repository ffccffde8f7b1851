// Opening and closing the port with the fixed settings of cable types 0..7.

#include <string>
#include <vector>

#include "PhoneLinkFixture.h"
#include "link/PortOpenMessage.h"

namespace {

using Texts = std::vector<std::string>;

// A port that reports unusual values everywhere, so that the logged DCB shows
// which fields the open changes and which it keeps.
Dcb OddReportedDcb() {
    Dcb d;
    d.BaudRate = 9600;
    d.fBinary = 0;
    d.fParity = 1;
    d.fOutxCtsFlow = 1;
    d.fOutxDsrFlow = 1;
    d.fDtrControl = COMM_DTR_CONTROL_HANDSHAKE;
    d.fDsrSensitivity = 1;
    d.fTXContinueOnXoff = 1;
    d.fOutX = 1;
    d.fInX = 1;
    d.fErrorChar = 1;
    d.fNull = 1;
    d.fRtsControl = COMM_RTS_CONTROL_HANDSHAKE;
    d.fAbortOnError = 1;
    d.XonLim = 0x800;
    d.XoffLim = 0x200;
    d.ByteSize = 7;
    d.Parity = COMM_ODDPARITY;
    d.StopBits = COMM_TWOSTOPBITS;
    d.XonChar = 0x11;
    d.XoffChar = 0x13;
    d.ErrorChar = '?';
    d.EofChar = 0x1A;
    d.EvtChar = '\n';
    return d;
}

const char* const kDcbCable0 =
    "DCB 1c,258,1,0,1,1,0,1,1,1,1,0,0,1,1,0,0,800,200,8,2,0,11,13,3f,1a,a,0";
const char* const kDcbCable2 =
    "DCB 1c,258,1,0,1,1,1,1,1,1,1,0,0,0,1,0,0,800,200,8,0,0,11,13,3f,1a,a,0";
const char* const kDcbCable7 = kDcbCable2;

class PortOpenTest : public PhoneLinkTest {
protected:
    void SetUp() override {
        PhoneLinkTest::SetUp();
        fake->reportedDcb = OddReportedDcb();
        fake->commErrors = 0x10;
        fake->comStat.fCtsHold = 1;
        fake->comStat.fRlsdHold = 1;
        fake->comStat.fTxim = 1;
        fake->comStat.cbInQue = 0x12;
        fake->comStat.cbOutQue = 0x300;
        StartLog();
    }
};

const char* const kStatusLines[] = {"Returned Error 0x0010", "COMSTAT 1,0,1,0,0,0,1,0,12,300"};

TEST_F(PortOpenTest, Cable0OpensWithoutHandshakeAndLogsEveryStep) {
    link->m_port = 2;
    link->m_cable = 0;
    EXPECT_EQ(link->CommOpen(0), 1);
    EXPECT_EQ(LogTexts(),
              (Texts{"CommOpen1() Called (COM3)", "Cable:0  A Part of Product Code:", kDcbCable0,
                     kStatusLines[0], kStatusLines[1], "CommOpen1() Success"}));
    EXPECT_EQ(fake->calls,
              (Texts{"Open(COM3)", "SetupComm(4096,4096)", "SetCommTimeouts(16,16,64,64,1024)",
                     "GetCommState()", "SetCommState()", "PurgeComm(15)", "PurgeComm(15)",
                     "ClearCommError()"}));
    EXPECT_TRUE(fake->written.empty());
}

TEST_F(PortOpenTest, Cable2HandshakeWaitsForConnectReply) {
    link->m_cable = 2;
    fake->ReplyTo({'A', 'T', '%', 'Z', '\r'}, {'C', 'O', 'N', 'N', 'E', 'C', 'T', '\r', '\n'});
    EXPECT_EQ(link->CommOpen(0), 1);
    EXPECT_EQ(LogTexts(), (Texts{"CommOpen1() Called (COM1)",
                                 "Cable:2  A Part of Product Code:",
                                 kDcbCable2,
                                 "CommWrite() Written 5 Byte(s)",
                                 "WaitData(0x43) Called",
                                 "CommReadByte() Success (0x43) time 1",
                                 "WaitData(0x43) Success",
                                 "WaitData(0x54) Called",
                                 "CommReadByte() Success (0x4f) time 0",
                                 "CommReadByte() Success (0x4e) time 0",
                                 "CommReadByte() Success (0x4e) time 0",
                                 "CommReadByte() Success (0x45) time 0",
                                 "CommReadByte() Success (0x43) time 0",
                                 "CommReadByte() Success (0x54) time 0",
                                 "WaitData(0x54) Success",
                                 "WaitData(0x0a) Called",
                                 "CommReadByte() Success (0x0d) time 0",
                                 "CommReadByte() Success (0x0a) time 1",
                                 "WaitData(0x0a) Success",
                                 kStatusLines[0],
                                 kStatusLines[1],
                                 "CommOpen1() Success"}));
    EXPECT_EQ(fake->CallsStartingWith("ReadFile"), (Texts{"ReadFile(8)", "ReadFile(1)"}));
}

TEST_F(PortOpenTest, Cable7HandshakeWaitsForOkThenSetsPhoneBookMode) {
    link->m_cable = 7;
    fake->ReplyTo({'A', 'T', '\r', '\n'}, {'A', 'T', '\r', '\r', '\n', 'O', 'K', '\r', '\n'});
    EXPECT_EQ(link->CommOpen(0), 1);
    EXPECT_EQ(LogTexts(), (Texts{"CommOpen1() Called (COM1)",
                                 "Cable:7  A Part of Product Code:",
                                 kDcbCable7,
                                 "CommWrite() Written 4 Byte(s)",
                                 "WaitData(0x4f) Called",
                                 "CommReadByte() Success (0x41) time 1",
                                 "CommReadByte() Success (0x54) time 0",
                                 "CommReadByte() Success (0x0d) time 0",
                                 "CommReadByte() Success (0x0d) time 0",
                                 "CommReadByte() Success (0x0a) time 0",
                                 "CommReadByte() Success (0x4f) time 0",
                                 "WaitData(0x4f) Success",
                                 "WaitData(0x0a) Called",
                                 "CommReadByte() Success (0x4b) time 1",
                                 "CommReadByte() Success (0x0d) time 0",
                                 "CommReadByte() Success (0x0a) time 0",
                                 "WaitData(0x0a) Success",
                                 "CommWrite() Written 10 Byte(s)",
                                 "CommOpen1() Can't Verify",
                                 kStatusLines[0],
                                 kStatusLines[1],
                                 "CommOpen1() Success"}));
    EXPECT_EQ(fake->CallsStartingWith("ReadFile"), (Texts{"ReadFile(6)", "ReadFile(4)"}));
    const std::string sent(fake->written.begin(), fake->written.end());
    EXPECT_EQ(sent, "AT\r\nAT+CPBMD\r\n");
    EXPECT_EQ(fake->CallsStartingWith("Sleep"), (Texts{"Sleep(100)"}));
}

TEST_F(PortOpenTest, Cables3And4SendTwoCommandsWithoutVerifying) {
    for (int cable : {3, 4}) {
        SCOPED_TRACE(cable);
        fake->ClearRecord();
        link->m_cable = cable;
        const uint64_t start = fake->Now();
        EXPECT_EQ(link->CommOpen(0), 1);
        const std::string sent(fake->written.begin(), fake->written.end());
        EXPECT_EQ(sent, "AT+K1=0\r\nATZ80\r\n");
        EXPECT_EQ(fake->writes.size(), 2u);
        EXPECT_EQ(fake->CallsStartingWith("Sleep"), (Texts{"Sleep(100)", "Sleep(100)"}));
        EXPECT_EQ(fake->Now() - start, 200u);
        EXPECT_EQ(fake->CallCount(FakeOp::ReadFile), 0);
        EXPECT_EQ(link->CommClose(0), 1);
    }
    const Texts texts = LogTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "CommOpen1() Can't Verify"), 2);
}

// A data cable whose phone does not answer fully fails the open after the
// wait that ran out, having spent exactly its reads and pauses.
struct HandshakeFailure {
    int cable;
    Bytes reply;
    uint8_t missing;
    uint64_t elapsedMs;
};

void PrintTo(const HandshakeFailure& c, std::ostream* os) {
    *os << "cable" << c.cable << "_replies" << c.reply.size();
}

class HandshakeFailureTest : public PortOpenTest,
                             public ::testing::WithParamInterface<HandshakeFailure> {};

TEST_P(HandshakeFailureTest, FailsAfterTheWaitRunsOut) {
    const HandshakeFailure& c = GetParam();
    link->m_cable = c.cable;
    const Bytes wake = c.cable == 7 ? Bytes{'A', 'T', '\r', '\n'} : Bytes{'A', 'T', '%', 'Z', '\r'};
    fake->ReplyTo(wake, c.reply);
    const uint64_t start = fake->Now();
    EXPECT_EQ(link->CommOpen(0), 0);
    EXPECT_EQ(fake->Now() - start, c.elapsedMs);
    const Texts texts = LogTexts();
    ASSERT_GE(texts.size(), 2u);
    char timeOut[32];
    std::snprintf(timeOut, sizeof timeOut, "WaitData(0x%02x) Time Out", c.missing);
    EXPECT_EQ(texts[texts.size() - 2], timeOut);
    EXPECT_EQ(texts.back(), "CommOpen1() Failure");
    // The port opened; the phone behind it did not answer, and says so.
    EXPECT_EQ(PortOpenErrorMessage(*link),
              "COM Port Open Error !!\nCOM1: No answer from the phone with this cable type");
    EXPECT_EQ(PortRetryMessage(*link),
              "Init Connection Again !!\nCOM1: No answer from the phone with this cable type");
}

// Silent waits: 'C' 12 x (3 x (16 x 8 + 64) + 300), 'T' 9 x 876, LF 4 x 540,
// 'O' 10 x (3 x (16 x 6 + 64) + 300), LF 4 x (3 x (16 x 4 + 64) + 300); a read
// that got part of a reply ends 16 ms (the interval limit) after its last byte.
INSTANTIATE_TEST_SUITE_P(Cables, HandshakeFailureTest,
                         ::testing::Values(HandshakeFailure{2, {}, 'C', 12 * 876},
                                           HandshakeFailure{5, {}, 'C', 12 * 876},
                                           HandshakeFailure{6, {}, 'C', 12 * 876},
                                           HandshakeFailure{2, {'C'}, 'T', 16 + 9 * 876},
                                           HandshakeFailure{2, {'C', 'T'}, '\n', 16 + 4 * 540},
                                           HandshakeFailure{7, {}, 'O', 10 * 780},
                                           HandshakeFailure{7, {'O'}, '\n', 16 + 4 * 684}));

struct LineSettings {
    int cable;
    int mode;
    uint8_t parity;
    uint32_t dtrControl;
    uint32_t rtsControl;
};

void PrintTo(const LineSettings& c, std::ostream* os) {
    *os << "cable" << c.cable << "_mode" << c.mode;
}

class LineSettingsTest : public PhoneLinkTest,
                         public ::testing::WithParamInterface<LineSettings> {};

TEST_P(LineSettingsTest, CableTypeSelectsParityAndModemLines) {
    const LineSettings& c = GetParam();
    link->m_cable = c.cable;
    // Answer every handshake so that each cable type opens.
    fake->ReplyTo({'A', 'T', '%', 'Z', '\r'}, {'C', 'T', '\n'});
    fake->ReplyTo({'A', 'T', '\r', '\n'}, {'O', '\n'});
    ASSERT_EQ(link->CommOpen(c.mode), 1);
    ASSERT_EQ(fake->dcbsSet.size(), 1u);
    const Dcb& set = fake->dcbsSet[0];
    EXPECT_EQ(set.BaudRate, 600u);
    EXPECT_EQ(set.ByteSize, 8);
    EXPECT_EQ(set.StopBits, COMM_ONESTOPBIT);
    EXPECT_EQ(set.Parity, c.parity);
    EXPECT_EQ(set.fDtrControl, c.dtrControl);
    EXPECT_EQ(set.fRtsControl, c.rtsControl);
    EXPECT_EQ(fake->dtr, c.dtrControl == COMM_DTR_CONTROL_ENABLE);
    EXPECT_EQ(fake->rts, c.rtsControl == COMM_RTS_CONTROL_ENABLE);
}

INSTANTIATE_TEST_SUITE_P(
    Cables, LineSettingsTest,
    ::testing::Values(LineSettings{0, 0, COMM_EVENPARITY, COMM_DTR_CONTROL_DISABLE, COMM_RTS_CONTROL_ENABLE},
                      LineSettings{0, 1, COMM_EVENPARITY, COMM_DTR_CONTROL_DISABLE, COMM_RTS_CONTROL_ENABLE},
                      LineSettings{1, 0, COMM_EVENPARITY, COMM_DTR_CONTROL_ENABLE, COMM_RTS_CONTROL_DISABLE},
                      LineSettings{1, 1, COMM_EVENPARITY, COMM_DTR_CONTROL_ENABLE, COMM_RTS_CONTROL_ENABLE},
                      LineSettings{2, 0, COMM_NOPARITY, COMM_DTR_CONTROL_ENABLE, COMM_RTS_CONTROL_DISABLE},
                      LineSettings{3, 1, COMM_NOPARITY, COMM_DTR_CONTROL_ENABLE, COMM_RTS_CONTROL_ENABLE},
                      LineSettings{4, 0, COMM_NOPARITY, COMM_DTR_CONTROL_ENABLE, COMM_RTS_CONTROL_DISABLE},
                      LineSettings{5, 0, COMM_NOPARITY, COMM_DTR_CONTROL_ENABLE, COMM_RTS_CONTROL_DISABLE},
                      LineSettings{6, 1, COMM_NOPARITY, COMM_DTR_CONTROL_ENABLE, COMM_RTS_CONTROL_ENABLE},
                      LineSettings{7, 0, COMM_NOPARITY, COMM_DTR_CONTROL_ENABLE, COMM_RTS_CONTROL_DISABLE}));

struct OpenFailure {
    FakeOp op;
    const char* line;
};

void PrintTo(const OpenFailure& c, std::ostream* os) {
    *os << "op" << static_cast<int>(c.op);
}

class OpenFailureTest : public PortOpenTest, public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(OpenFailureTest, EachFailingStepEndsTheOpenWithItsLine) {
    fake->Fail(GetParam().op);
    EXPECT_EQ(link->CommOpen(0), 0);
    const Texts texts = LogTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), GetParam().line);
    EXPECT_EQ(fake->CallCount(FakeOp::PurgeComm), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, OpenFailureTest,
    ::testing::Values(OpenFailure{FakeOp::Open, "CommOpen1() Failure (CreateFile())"},
                      OpenFailure{FakeOp::SetupComm, "CommOpen1() Failure (SetupComm())"},
                      OpenFailure{FakeOp::SetCommTimeouts,
                                  "CommOpen1() Failure (SetCommTimeouts())"},
                      OpenFailure{FakeOp::GetCommState, "CommOpen1() Failure (GetCommState())"},
                      OpenFailure{FakeOp::SetCommState, "CommOpen1() Failure (SetupCommState())"}));

TEST_F(PortOpenTest, PortIndexOutsideTheNameTableFailsWithoutOpening) {
    for (int port : {-1, 9, 1000}) {
        for (int cable : {0, 8}) {
            SCOPED_TRACE(testing::Message() << "port " << port << " cable " << cable);
            link->m_port = port;
            link->m_cable = cable;
            link->m_profile[0].filled = true;
            EXPECT_EQ(link->CommOpen(0), 0);
            EXPECT_EQ(fake->CallCount(FakeOp::Open), 0);
            const Texts texts = LogTexts();
            ASSERT_GE(texts.size(), 2u);
            EXPECT_EQ(texts[texts.size() - 2],
                      "Port Index " + std::to_string(port) + " Out Of Range");
            EXPECT_EQ(texts.back(), cable == 0 ? "CommOpen1() Failure (CreateFile())"
                                               : "CommOpen2() Failure (CreateFile())");
        }
    }
}

TEST_F(PortOpenTest, EveryPortIndexNamesItsComPort) {
    for (int port = 0; port <= 8; ++port) {
        link->m_port = port;
        ASSERT_EQ(link->CommOpen(0), 1);
        EXPECT_EQ(fake->openedName, "COM" + std::to_string(port + 1));
        ASSERT_EQ(link->CommClose(0), 1);
    }
}

TEST_F(PortOpenTest, CableTypeChoosesFixedOrScriptedPath) {
    for (int cable : {-1, 0, 1, 7, 8, 100}) {
        SCOPED_TRACE(cable);
        std::filesystem::remove(logPath);
        link->LogClose();
        StartLog();
        link->m_cable = cable;
        link->CommOpen(0);
        link->CommClose(0);
        const Texts texts = LogTexts();
        ASSERT_FALSE(texts.empty());
        const bool fixed = cable >= 0 && cable <= 7;
        EXPECT_EQ(texts.front(), fixed ? "CommOpen1() Called (COM1)" : "CommOpen2() Called (COM1)");
        EXPECT_EQ(std::count(texts.begin(), texts.end(), "CommClose2() Called"), fixed ? 0 : 1);
    }
}

TEST_F(PortOpenTest, SecondOpenWithoutCloseFailsAsABusyPort) {
    ASSERT_EQ(link->CommOpen(0), 1);
    EXPECT_EQ(link->CommOpen(0), 0);
    EXPECT_EQ(LogTexts().back(), "CommOpen1() Failure (CreateFile())");
    EXPECT_EQ(link->CommClose(0), 1);
    EXPECT_EQ(link->CommOpen(0), 1);
}

TEST_F(PortOpenTest, OpenAndCloseForgetBufferedBytes) {
    ASSERT_EQ(link->CommOpen(0), 1);
    fake->Incoming({0x11, 0x22, 0x33});
    EXPECT_EQ(link->CommReadByte(0, 3), 0x11);
    ASSERT_EQ(link->CommClose(0), 1);
    ASSERT_EQ(link->CommOpen(0), 1);
    EXPECT_EQ(link->CommReadByte(0, 1), 0);
}

// --- closing ---

TEST_F(PortOpenTest, CloseMode0PurgesAndCloses) {
    ASSERT_EQ(link->CommOpen(0), 1);
    fake->ClearRecord();
    EXPECT_EQ(link->CommClose(0), 1);
    EXPECT_EQ(fake->calls, (Texts{"PurgeComm(15)", "Close()"}));
    EXPECT_FALSE(fake->IsOpen());
    EXPECT_EQ(LogTexts().back(), "CommClose1() Success\r\n");
    // The text's own line end leaves an empty line after it.
    EXPECT_NE(RawLog().find("\tCommClose1() Success\r\n\r\n"), std::string::npos);
}

struct HangUpClose {
    int cable;
    Bytes sent;
};

void PrintTo(const HangUpClose& c, std::ostream* os) {
    *os << "cable" << c.cable;
}

class HangUpCloseTest : public PortOpenTest, public ::testing::WithParamInterface<HangUpClose> {};

TEST_P(HangUpCloseTest, Mode1DropsLinesAroundTheCableBytes) {
    link->m_cable = GetParam().cable;
    fake->ReplyTo({'A', 'T', '%', 'Z', '\r'}, {'C', 'T', '\n'});
    fake->ReplyTo({'A', 'T', '\r', '\n'}, {'O', '\n'});
    ASSERT_EQ(link->CommOpen(1), 1);
    fake->ClearRecord();
    EXPECT_EQ(link->CommClose(1), 1);
    EXPECT_EQ(fake->calls, (Texts{"EscapeCommFunction(4)", "WriteFile(3)", "EscapeCommFunction(6)",
                                  "PurgeComm(15)", "Close()"}));
    EXPECT_EQ(fake->written, GetParam().sent);
    const Texts texts = LogTexts();
    EXPECT_EQ(texts[texts.size() - 2], "CommWrite() Written 3 Byte(s)");
    EXPECT_EQ(texts.back(), "CommClose1() Success\r\n");
}

INSTANTIATE_TEST_SUITE_P(Cables, HangUpCloseTest,
                         ::testing::Values(HangUpClose{0, {0x1F, 0x07, 0x0D}},
                                           HangUpClose{1, {0x1F, 0x07, 0x0D}},
                                           HangUpClose{2, {'+', '+', '+'}},
                                           HangUpClose{7, {'+', '+', '+'}}));

TEST_F(PortOpenTest, HangUpCloseStopsWithThePortOpenWhenALineCannotDrop) {
    struct Case {
        int failingEscapeCall;
        size_t bytesWritten;
        const char* line;
    };
    for (const Case& c : {Case{1, 0, "CommClose()1 Failure(CLRRTS)\r\n"},
                          Case{2, 3, "CommClose()1 Failure(CLRDTR)\r\n"}}) {
        SCOPED_TRACE(c.line);
        ASSERT_EQ(link->CommOpen(0), 1);
        fake->ClearRecord();
        fake->FailCall(FakeOp::EscapeCommFunction,
                       fake->CallCount(FakeOp::EscapeCommFunction) + c.failingEscapeCall);
        EXPECT_EQ(link->CommClose(1), 0);
        EXPECT_TRUE(fake->IsOpen());
        EXPECT_EQ(fake->written.size(), c.bytesWritten);
        EXPECT_EQ(LogTexts().back(), c.line);
        fake->Heal(FakeOp::EscapeCommFunction);
        ASSERT_EQ(link->CommClose(0), 1);
    }
}

TEST_F(PortOpenTest, CloseOfANeverOpenedPortFails) {
    EXPECT_EQ(link->CommClose(0), 0);
    EXPECT_EQ(LogTexts().back(), "CommClose1() Failure\r\n");
}

}  // namespace

namespace {

// A port that is not there: both opening paths log the device's reason with
// the system's error, and the user's message names the device.
TEST_F(PortOpenTest, AFailedOpenLogsWhyAndTheMessageNamesTheDevice) {
    fake->Unplug();
    link->m_port = 2;
    for (int cable : {0, 8}) {
        SCOPED_TRACE(cable);
        link->m_cable = cable;
        link->m_profile[0].filled = true;
        EXPECT_EQ(link->CommOpen(0), 0);
        const Texts texts = LogTexts();
        ASSERT_GE(texts.size(), 2u);
        EXPECT_EQ(texts[texts.size() - 2], cable == 0 ? "CommOpen1() Failure (CreateFile())"
                                                      : "CommOpen2() Failure (CreateFile())");
        EXPECT_EQ(texts.back(),
                  "Open Error COM3: No such device [No such file or directory (errno 2)]");
    }
    EXPECT_EQ(PortOpenErrorMessage(link->Device()), "COM Port Open Error !!\nCOM3: No such device");
    EXPECT_EQ(PortRetryMessage(*link), "Init Connection Again !!\nCOM3: No such device");

    // A device that cannot tell keeps the one-line message and adds no line.
    fake->Replug();
    fake->Fail(FakeOp::Open);
    link->m_cable = 0;
    const size_t before = LogTexts().size();
    EXPECT_EQ(link->CommOpen(0), 0);
    EXPECT_EQ(LogTexts().size(), before + 3);
    EXPECT_EQ(LogTexts().back(), "CommOpen1() Failure (CreateFile())");
    EXPECT_EQ(PortOpenErrorMessage(link->Device()), "COM Port Open Error !!");
    EXPECT_EQ(PortRetryMessage(*link), "Init Connection Again !!");
}

// The fake's pulled cable: reads and writes fail and the device says it is
// gone until an open succeeds again.
TEST_F(PortOpenTest, AnUnpluggedPortIsGoneUntilItOpensAgain) {
    OpenLine();
    fake->Incoming({0xA5});
    fake->Unplug();
    uint8_t byte = 0;
    uint32_t count = 0;
    EXPECT_FALSE(fake->ReadFile(&byte, 1, count));
    EXPECT_FALSE(fake->WriteFile(&byte, 1, count));
    EXPECT_TRUE(fake->IsGone());
    ASSERT_TRUE(fake->Close());
    EXPECT_FALSE(fake->Open("COM1"));
    EXPECT_TRUE(fake->IsGone());
    fake->Replug();
    EXPECT_TRUE(fake->Open("COM1"));
    EXPECT_FALSE(fake->IsGone());
    EXPECT_TRUE(fake->OpenFailureText().empty());
}

}  // namespace
