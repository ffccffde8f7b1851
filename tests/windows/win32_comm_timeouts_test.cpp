// The Win32 comm device's read time-outs, the breaker's stop and a second opening, on COM1
// mapped to a pseudo-terminal whose far end (telvoxa-phone with no status
// bytes) stays silent. Run by scripts/test-windows under Wine; prints the
// figures it measured. A read may take longer on a busy machine, never less
// than its time-out; the upper bounds only catch a wait that never ends.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/WaitBreaker.h"
#include "platform/win32/Win32CommDevice.h"

namespace {

using Clock = std::chrono::steady_clock;
using Millis = std::chrono::milliseconds;
constexpr uint32_t kMaxDword = 0xFFFFFFFF;
constexpr auto kSlack = Millis(3000);  // a loaded machine, not a faster one
constexpr auto kEarly = Millis(5);     // the system timer's granularity

template <typename F>
Millis Timed(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration_cast<Millis>(Clock::now() - start);
}

class Win32Com1 : public testing::Test {
protected:
    void SetUp() override {
        const Millis opened =
            Timed([&] { ASSERT_TRUE(device.Open("COM1")) << device.OpenFailureText(); });
        Dcb dcb;
        const Millis configured = Timed([&] {
            ASSERT_TRUE(device.SetupComm(4096, 4096));
            ASSERT_TRUE(device.GetCommState(dcb));
            dcb.BaudRate = 600;
            dcb.ByteSize = 8;
            // No parity: a pseudo-terminal drops parity bits anyway.
            dcb.Parity = COMM_NOPARITY;
            dcb.StopBits = COMM_ONESTOPBIT;
            dcb.fBinary = 1;
            dcb.fParity = 0;
            dcb.fDtrControl = COMM_DTR_CONTROL_DISABLE;
            dcb.fRtsControl = COMM_RTS_CONTROL_DISABLE;
            ASSERT_TRUE(device.SetCommState(dcb));
            ASSERT_TRUE(device.PurgeComm(COMM_PURGE_ALL));
        });
        std::printf("open %lld ms, 600 8N1 set-up %lld ms\n",
                    static_cast<long long>(opened.count()),
                    static_cast<long long>(configured.count()));
    }
    void TearDown() override { device.Close(); }

    Win32CommDevice device;
};

TEST_F(Win32Com1, ReadsOnASilentLineEndAtTheirTimeOut) {
    struct Case {
        const char* name;
        CommTimeouts timeouts;
        uint32_t toRead;
        Millis atLeast;
    };
    const Case cases[] = {
        {"idle 1-byte read, 16/16/64", {16, 16, 64, 0, 0}, 1, Millis(80)},
        {"10 bytes, 0/10/100", {0, 10, 100, 0, 0}, 10, Millis(200)},
        {"what is queued: MAXDWORD/0/0", {kMaxDword, 0, 0, 0, 0}, 16, Millis(0)},
        {"first byte within 300: MAXDWORD/MAXDWORD/300",
         {kMaxDword, kMaxDword, 300, 0, 0},
         16,
         Millis(300)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(device.SetCommTimeouts(c.timeouts)) << c.name;
        uint8_t buffer[16];
        uint32_t got = 99;
        bool ok = false;
        const Millis took = Timed([&] { ok = device.ReadFile(buffer, c.toRead, got); });
        std::printf("%s: %lld ms\n", c.name, static_cast<long long>(took.count()));
        EXPECT_TRUE(ok) << c.name;
        EXPECT_EQ(got, 0u) << c.name;
        EXPECT_GE(took, c.atLeast - kEarly) << c.name;
        EXPECT_LE(took, c.atLeast + kSlack) << c.name;
    }
}

TEST_F(Win32Com1, StopEndsALongReadAndEveryLaterOne) {
    WaitBreaker breaker;
    device.SetWaitBreaker(&breaker);
    ASSERT_TRUE(device.SetCommTimeouts({0, 0, 60000, 0, 0}));
    std::thread stopper([&] {
        std::this_thread::sleep_for(Millis(200));
        breaker.Stop();
    });
    uint8_t buffer[4];
    uint32_t got = 99;
    bool ok = false;
    const Millis took = Timed([&] { ok = device.ReadFile(buffer, 4, got); });
    stopper.join();
    std::printf("read of 60 s stopped after %lld ms\n", static_cast<long long>(took.count()));
    EXPECT_TRUE(ok);
    EXPECT_EQ(got, 0u);
    EXPECT_LE(took, Millis(200) + kSlack);

    const Millis later = Timed([&] { ok = device.ReadFile(buffer, 4, got); });
    EXPECT_TRUE(ok);
    EXPECT_LE(later, kSlack);
}

TEST_F(Win32Com1, NudgeEndsAYieldingReadOnly) {
    WaitBreaker breaker;
    device.SetWaitBreaker(&breaker);
    ASSERT_TRUE(device.SetCommTimeouts({0, 0, 300, 0, 0}));
    breaker.Nudge();
    uint8_t buffer[4];
    uint32_t got = 99;
    // Not yielding: the nudge is not for this read, which waits its time-out.
    Millis took = Timed([&] { device.ReadFile(buffer, 4, got); });
    EXPECT_GE(took, Millis(300) - kEarly);
    EXPECT_FALSE(device.GaveWay());

    device.SetYielding(true);
    ASSERT_TRUE(device.SetCommTimeouts({0, 0, 60000, 0, 0}));
    took = Timed([&] { device.ReadFile(buffer, 4, got); });
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(device.GaveWay());
    EXPECT_LE(took, kSlack);
}

}  // namespace

// The port opened again with the line settings it had (the settings dialog's
// OK, a reconnection): each parity is taken again, not refused.
TEST(Win32Com1Again, TakesTheSameLineSettingsAgain) {
    const struct {
        const char* name;
        uint8_t parity;
    } cases[] = {{"even", COMM_EVENPARITY}, {"odd", COMM_ODDPARITY}, {"none", COMM_NOPARITY}};
    for (const auto& c : cases) {
        for (int round = 1; round <= 2; ++round) {
            Win32CommDevice device;
            ASSERT_TRUE(device.Open("COM1")) << device.OpenFailureText();
            Dcb dcb;
            ASSERT_TRUE(device.GetCommState(dcb));
            dcb.BaudRate = 600;
            dcb.ByteSize = 8;
            dcb.Parity = c.parity;
            dcb.StopBits = COMM_ONESTOPBIT;
            dcb.fBinary = 1;
            EXPECT_TRUE(device.SetCommState(dcb)) << c.name << ", opening " << round;
        }
    }
}
