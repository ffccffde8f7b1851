// The phone link over a real pseudo-terminal, through PosixCommDevice, with
// the simulated phone on the far end in a thread of its own.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/PhoneKeys.h"
#include "link/PhoneLink.h"
#include "platform/posix/PosixCommDevice.h"
#include "sim/PhoneSimulator.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Generous bounds: they catch a wait that never ends, not a slow machine.
constexpr auto kLineWait = 10s;
constexpr auto kPollBound = 3s;       // one poll on a silent line (about 0.54 s)
constexpr auto kCommandBound = 15s;   // a command whose replies never come
constexpr int kPollsForAnEvent = 20;  // polls until something the phone sent shows

std::string Cp932(std::initializer_list<uint8_t> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

class LinkWithPhone : public testing::Test {
protected:
    // A phone answering `simCable`'s handshake, and a link set up for `linkCable`.
    void StartPhone(int simCable = 0, int statusIntervalMs = 0) {
        PhoneSimulatorOptions options;
        options.cable = simCable;
        options.statusIntervalMs = statusIntervalMs;
        sim = std::make_unique<PhoneSimulator>(options);
        std::string error;
        ASSERT_TRUE(sim->Open(error)) << error;
        portPath = sim->PcPath();
        sim->Start();
    }
    void MakeLink(int linkCable) {
        // The resolver reads the path at each open, so a new phone can take over.
        auto device = std::make_unique<PosixCommDevice>(
            [this](const std::string& name) { return name == "COM1" ? portPath : name; });
        link = std::make_unique<CPhoneLink>(std::move(device));
        link->m_port = 0;
        link->m_cable = linkCable;
    }
    // What the handset window does at start-up.
    void OpenLikeTheWindow() {
        ASSERT_EQ(link->CommOpen(0), 1);
        link->ClearBuf(1);
        const size_t from = sim->LineCount();
        link->HangUp();
        ASSERT_TRUE(sim->WaitForLine("<- HANGUP", kLineWait, from));
    }
    void TearDown() override {
        if (link) link->CommClose(0);
        if (sim) sim->Stop();
    }

    // Polls until the result is nonzero; 0 after kPollsForAnEvent polls.
    static int PollUntil(const std::function<int()>& poll) {
        for (int i = 0; i < kPollsForAnEvent; ++i) {
            if (int result = poll(); result != 0) return result;
        }
        return 0;
    }

    std::unique_ptr<PhoneSimulator> sim;
    std::unique_ptr<CPhoneLink> link;
    std::string portPath;
};

template <typename F>
std::chrono::milliseconds Timed(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

TEST_F(LinkWithPhone, OpensForCableTypesWithoutHandshake) {
    for (int cable : {0, 1}) {
        StartPhone(cable);
        MakeLink(cable);
        EXPECT_EQ(link->CommOpen(0), 1) << cable;
        EXPECT_EQ(link->CommClose(0), 1) << cable;
        link.reset();
        sim->Stop();
    }
}

TEST_F(LinkWithPhone, CableTypesWithAHandshakeOpenOnlyWhenThePhoneAnswers) {
    const struct {
        const char* name;
        int phoneCable;  // 0: a phone that answers no handshake
        int linkCable;
        int opened;
        std::vector<std::string> sent;
    } cases[] = {
        {"cable 3 sends its two lines", 3, 3, 1, {"<- AT AT+K1=0", "<- AT ATZ80"}},
        {"cable 7", 7, 7, 1, {"<- AT AT", "<- AT AT+CPBMD"}},
        {"cable 2", 2, 2, 1, {"<- AT AT%Z"}},
        {"cable 7 without a handshake", 0, 7, 0, {"<- AT AT"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(StartPhone(c.phoneCable));
        MakeLink(c.linkCable);
        EXPECT_EQ(link->CommOpen(0), c.opened);
        for (const std::string& line : c.sent) EXPECT_TRUE(sim->WaitForLine(line, kLineWait));
        link->CommClose(0);
        link.reset();
        sim->Stop();
    }
}

TEST_F(LinkWithPhone, IncomingCallWithNumberAnsweredAndEndedByThePhone) {
    StartPhone();
    MakeLink(0);
    OpenLikeTheWindow();

    sim->Command("ring 0312345678");
    char buffer[IDLE_BUFFER_SIZE] = {};
    EXPECT_EQ(PollUntil([&] { return link->PollIdle(buffer); }), 1);
    EXPECT_STREQ(buffer, "0312345678");

    EXPECT_EQ(link->Answer(), 1);
    EXPECT_TRUE(sim->WaitForLine("<- ANSWER", kLineWait));
    EXPECT_EQ(sim->State(), SimCallState::OnLine);

    sim->Command("hangup 250");
    int charge = 0;
    uint8_t block3[3] = {};
    uint8_t block2[2] = {};
    EXPECT_EQ(PollUntil([&] { return link->PollOnLine(&charge, block3, block2); }), 1);
    EXPECT_EQ(charge, 250);
    EXPECT_EQ(std::memcmp(block3, SimPhone::kBlock3, 3), 0);
    EXPECT_EQ(std::memcmp(block2, SimPhone::kBlock2, 2), 0);
    EXPECT_EQ(sim->State(), SimCallState::Idle);
}

TEST_F(LinkWithPhone, IncomingCallWithoutNumberHeldResumedAndEndedByThePc) {
    StartPhone();
    MakeLink(0);
    OpenLikeTheWindow();

    sim->Command("ring-hidden");
    char buffer[IDLE_BUFFER_SIZE];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(PollUntil([&] { return link->PollIdle(buffer); }), 1);
    EXPECT_STREQ(buffer, "");

    EXPECT_EQ(link->HoldCall(), 1);
    EXPECT_EQ(sim->State(), SimCallState::Held);
    EXPECT_EQ(link->ResumeCall(), 1);
    EXPECT_EQ(sim->State(), SimCallState::OnLine);

    sim->Command("charge 480");
    sim->Command("state");  // once this shows, the charge is set
    ASSERT_TRUE(sim->WaitForLine("state: on-line", kLineWait));
    int charge = 0;
    uint8_t block2[2] = {};
    EXPECT_EQ(link->HangUp(&charge, block2), 1);
    EXPECT_EQ(charge, 480);
    EXPECT_EQ(std::memcmp(block2, SimPhone::kBlock2, 2), 0);
    EXPECT_EQ(sim->State(), SimCallState::Idle);
}

TEST_F(LinkWithPhone, OutgoingCallShowsEveryByteThePcSent) {
    StartPhone();
    MakeLink(0);
    link->m_numdisp = 1;
    OpenLikeTheWindow();

    link->ClearBuf(0);
    link->Dial("0312345678");
    EXPECT_TRUE(sim->WaitForLine("<- DIAL 0312345678 caller-id=on", kLineWait));
    char buffer[IDLE_BUFFER_SIZE] = {};
    EXPECT_EQ(PollUntil([&] { return link->PollIdle(buffer); }), 2);  // '&': placing

    sim->Command("answer");
    EXPECT_EQ(PollUntil([&] { return link->PollSending(); }), 1);

    size_t from = sim->LineCount();
    link->SendDigit("5");
    link->SendKey(std::string(CONTROL_5) + std::string(CONTROL_PUSH_LONG));
    link->SendKey(std::string(CONTROL_SH));
    link->SendKey(Cp932({0x82, 0xA9}));  // か
    link->SendKey("a");
    for (const char* line : {"<- DIGIT 5", "<- KEY CONTROL_5 long", "<- KEY CONTROL_SH",
                             "<- CHAR か wide (2,1)", "<- CHAR a narrow (4,6)"}) {
        EXPECT_TRUE(sim->WaitForLine(line, kLineWait, from)) << line;
    }

    EXPECT_EQ(link->HoldCall(), 1);
    EXPECT_EQ(link->EndHeldCall(), 1);
    EXPECT_TRUE(sim->WaitForLine("<- END-HELD", kLineWait));
    EXPECT_EQ(sim->State(), SimCallState::Idle);

    // Off hook without a number, then the phone places the call itself.
    link->m_numdisp = 0;
    link->ClearBuf(0);
    link->Dial("");
    EXPECT_TRUE(sim->WaitForLine("<- OFFHOOK caller-id=off", kLineWait));
    EXPECT_EQ(PollUntil([&] { return link->PollIdle(buffer); }), 3);  // '!': off hook
    sim->Command("dialing");
    EXPECT_EQ(PollUntil([&] { return link->PollOffHook(); }), 1);
    sim->Command("hangup");
    EXPECT_EQ(PollUntil([&] { return link->PollSending(); }), 2);
}

TEST_F(LinkWithPhone, StatusBytesReachTheIdlePoll) {
    StartPhone(0, 50);
    MakeLink(0);
    OpenLikeTheWindow();
    sim->Command("signal 2");
    char buffer[IDLE_BUFFER_SIZE] = {};
    bool seen = false;
    for (int i = 0; i < kPollsForAnEvent && !seen; ++i) {
        EXPECT_EQ(link->PollIdle(buffer), 0);
        seen = static_cast<uint8_t>(buffer[0]) == 0xC8;
    }
    EXPECT_TRUE(seen);
}

TEST_F(LinkWithPhone, SilentPhoneMakesPollsReturnNothingInBoundedTime) {
    StartPhone();
    MakeLink(0);
    OpenLikeTheWindow();
    sim->Command("silent");

    char buffer[IDLE_BUFFER_SIZE];
    buffer[0] = 'x';
    int result = -1;
    const auto idle = Timed([&] { result = link->PollIdle(buffer); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_LT(idle, kPollBound);

    int charge = 7;
    uint8_t block3[3] = {9, 9, 9};
    uint8_t block2[2] = {9, 9};
    const auto onLine = Timed([&] { result = link->PollOnLine(&charge, block3, block2); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(block3[0], 0);
    EXPECT_EQ(block2[0], 0);
    EXPECT_LT(onLine, kPollBound);

    for (auto poll : {&CPhoneLink::PollOffHook, &CPhoneLink::PollSending, &CPhoneLink::PollRinging,
                      &CPhoneLink::PollHolding}) {
        const auto took = Timed([&] { result = (link.get()->*poll)(); });
        EXPECT_EQ(result, 0);
        EXPECT_LT(took, kPollBound);
    }

    const auto wait = Timed([&] { result = link->WaitData(0x43, 1, 4, 1); });
    EXPECT_EQ(result, 0);
    EXPECT_LT(wait, kCommandBound);
    std::printf("silent line: PollIdle %lld ms, PollOnLine %lld ms, WaitData(4 tries) %lld ms\n",
                static_cast<long long>(idle.count()), static_cast<long long>(onLine.count()),
                static_cast<long long>(wait.count()));
}

// The phone vanishes in the middle of a call (its end of the line closes):
// nothing hangs, and the link opens again once a phone is back.
TEST_F(LinkWithPhone, FarEndClosingMidCall) {
    StartPhone();
    MakeLink(0);
    OpenLikeTheWindow();
    sim->Command("ring 0312");
    char buffer[IDLE_BUFFER_SIZE] = {};
    ASSERT_EQ(PollUntil([&] { return link->PollIdle(buffer); }), 1);
    ASSERT_EQ(link->Answer(), 1);

    sim->Stop();
    int result = -1;
    int charge = 0;
    uint8_t block3[3] = {};
    uint8_t block2[2] = {};
    EXPECT_LT(Timed([&] { result = link->PollOnLine(&charge, block3, block2); }), kPollBound);
    EXPECT_EQ(result, 0);
    EXPECT_LT(Timed([&] { result = link->HangUp(&charge, block2); }), kCommandBound);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(charge, -2);
    link->CommClose(0);

    StartPhone();  // a new phone on a new line, where the port name now leads
    EXPECT_EQ(link->CommOpen(0), 1);
    link->ClearBuf(1);
    sim->Command("ring 99");
    EXPECT_EQ(PollUntil([&] { return link->PollIdle(buffer); }), 1);
    EXPECT_STREQ(buffer, "99");
}

// The PC closes its port in the middle of a call and opens it again: the
// phone waits for it and goes on with the call.
TEST_F(LinkWithPhone, PcClosingMidCallAndReopening) {
    StartPhone();
    MakeLink(0);
    OpenLikeTheWindow();
    sim->Command("ring");
    char buffer[IDLE_BUFFER_SIZE] = {};
    ASSERT_EQ(PollUntil([&] { return link->PollIdle(buffer); }), 1);
    ASSERT_EQ(link->Answer(), 1);

    const size_t from = sim->LineCount();
    EXPECT_EQ(link->CommClose(0), 1);
    EXPECT_TRUE(sim->WaitForLine("-- the PC closed the port", kLineWait, from));
    EXPECT_EQ(link->CommOpen(0), 1);
    EXPECT_TRUE(sim->WaitForLine("-- the PC opened the port", kLineWait, from));
    link->ClearBuf(1);

    EXPECT_EQ(sim->State(), SimCallState::OnLine);
    sim->Command("hangup 30");
    int charge = 0;
    EXPECT_EQ(PollUntil([&] { return link->PollOnLine(&charge); }), 1);
    EXPECT_EQ(charge, 30);
}

}  // namespace
