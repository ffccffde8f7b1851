// The phone link over the Win32 comm device, under Wine, against the Linux
// simulated phone on a pseudo-terminal that the prefix maps as COM1.
// scripts/test-windows starts telvoxa-phone with the matching script (it
// waits for each step of the PC before it takes its own) and checks its
// side of the conversation in the phone's output; this program checks the
// PC's side. TELVOXA_CABLE names the cable type (0 when unset).

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "link/PhoneLink.h"
#include "platform/win32/Win32CommDevice.h"

namespace {

constexpr int kPollsForAnEvent = 20;  // polls until something the phone sent shows

int CableType() {
    const char* cable = std::getenv("TELVOXA_CABLE");
    return cable != nullptr ? std::atoi(cable) : 0;
}

// Polls until the result is nonzero; 0 after kPollsForAnEvent polls.
int PollUntil(const std::function<int()>& poll) {
    for (int i = 0; i < kPollsForAnEvent; ++i) {
        if (int result = poll(); result != 0) return result;
    }
    return 0;
}

TEST(Win32LinkWithPhone, StartUpIncomingCallDialAndHangUp) {
    CPhoneLink link(std::make_unique<Win32CommDevice>());
    link.m_port = 0;  // COM1
    link.m_cable = CableType();
    link.m_numdisp = 1;

    // What the handset window does at start-up.
    ASSERT_EQ(link.CommOpen(0), 1) << link.OpenFailure();
    link.ClearBuf(1);
    link.HangUp();

    // An incoming call with its number, answered here, ended by the phone.
    char buffer[IDLE_BUFFER_SIZE] = {};
    EXPECT_EQ(PollUntil([&] { return link.PollIdle(buffer); }), 1);
    EXPECT_STREQ(buffer, "0312345678");
    EXPECT_EQ(link.Answer(), 1);
    int charge = 0;
    EXPECT_EQ(PollUntil([&] { return link.PollOnLine(&charge); }), 1);
    EXPECT_EQ(charge, 250);

    // A call placed from here with the caller-ID flag, answered by the far
    // end, ended here with the phone's charge.
    link.ClearBuf(0);
    link.Dial("0312345678");
    EXPECT_EQ(PollUntil([&] { return link.PollIdle(buffer); }), 2);  // placing
    EXPECT_EQ(PollUntil([&] { return link.PollSending(); }), 1);     // answered
    charge = 0;
    EXPECT_EQ(link.HangUp(&charge), 1);
    EXPECT_EQ(charge, 480);

    EXPECT_EQ(link.CommClose(0), 1);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
