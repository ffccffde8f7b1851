// The tty comm device on real pseudo-terminals: the test holds the master
// side and plays the far end. Time limits are checked for behaviour (which
// limit ended a read), with margins wide enough for a loaded machine.

#include "platform/posix/PosixCommDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "support/HangGuard.h"
#include "support/ScratchDir.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kMax = UINT32_MAX;

// The far end: a pseudo-terminal master whose slave is the device under test.
class PseudoTerminal {
public:
    PseudoTerminal() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        char name[256] = {};
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0 &&
            ptsname_r(m_master, name, sizeof name) == 0) {
            m_slavePath = name;
        }
    }
    ~PseudoTerminal() { CloseMaster(); }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool Ready() const { return !m_slavePath.empty(); }
    const std::string& SlavePath() const { return m_slavePath; }

    void Send(const Bytes& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return;
            done += static_cast<size_t>(n);
        }
    }

    // Reads until want bytes came or the line stayed quiet for quietMs.
    Bytes Receive(size_t want, int quietMs) {
        Bytes out;
        uint8_t chunk[4096];
        while (out.size() < want) {
            pollfd p{m_master, POLLIN, 0};
            if (poll(&p, 1, quietMs) <= 0 || !(p.revents & POLLIN)) break;
            const ssize_t n = ::read(m_master, chunk, sizeof chunk);
            if (n <= 0) break;
            out.insert(out.end(), chunk, chunk + n);
        }
        return out;
    }

    void CloseMaster() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    std::string m_slavePath;
};

Bytes AllByteValues() {
    Bytes b(256);
    std::iota(b.begin(), b.end(), 0);
    return b;
}

class PosixCommDeviceTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.Ready()) << "no pseudo-terminal available"; }

    void OpenDevice() { ASSERT_TRUE(dev.Open(pty.SlavePath())); }

    void SetReadTimeouts(uint32_t interval, uint32_t multiplier, uint32_t constant) {
        CommTimeouts t;
        t.ReadIntervalTimeout = interval;
        t.ReadTotalTimeoutMultiplier = multiplier;
        t.ReadTotalTimeoutConstant = constant;
        ASSERT_TRUE(dev.SetCommTimeouts(t));
    }

    // Sends bytes from the far end and waits until the device has them queued.
    void Prefill(const Bytes& bytes) {
        pty.Send(bytes);
        const auto until = Clock::now() + std::chrono::seconds(5);
        uint32_t errors = 0;
        ComStat stat;
        while (Clock::now() < until) {
            ASSERT_TRUE(dev.ClearCommError(errors, stat));
            if (stat.cbInQue >= bytes.size()) return;
            std::this_thread::sleep_for(milliseconds(5));
        }
        FAIL() << "the bytes never reached the device";
    }

    Bytes ReadBytes(uint32_t count, bool& ok) {
        Bytes b(count);
        uint32_t got = 0;
        ok = dev.ReadFile(b.data(), count, got);
        b.resize(got);
        return b;
    }

    PseudoTerminal pty;
    PosixCommDevice dev;
};

TEST(PosixCommDevicePorts, DefaultPathsOfThePortNames) {
    const struct {
        const char* name;
        const char* path;
    } cases[] = {
        {"COM1", "/dev/ttyS0"},
        {"COM5", "/dev/ttyS4"},
        {"COM9", "/dev/ttyS8"},
        {"COM0", "COM0"},
        {"COM10", "COM10"},
        {"com1", "com1"},
        {"", ""},
        {"/dev/ttyUSB0", "/dev/ttyUSB0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PosixCommDevice::DefaultPortPath(c.name), c.path) << c.name;
    }
}

TEST_F(PosixCommDeviceTest, OpensThePathTheResolverGives) {
    std::vector<std::string> asked;
    PosixCommDevice resolved([&](const std::string& name) {
        asked.push_back(name);
        return name == "COM3" ? pty.SlavePath() : std::string("/nonexistent/tty");
    });
    EXPECT_FALSE(resolved.Open("COM2"));
    EXPECT_TRUE(resolved.Open("COM3"));
    EXPECT_EQ(asked, (std::vector<std::string>{"COM2", "COM3"}));
}

TEST_F(PosixCommDeviceTest, ResolverWithoutAnEntryFallsBackToTheDefaultPath) {
    PosixCommDevice resolved([](const std::string&) { return std::string(); });
    // Any name that is no COMn is its own path.
    EXPECT_TRUE(resolved.Open(pty.SlavePath()));
}

TEST_F(PosixCommDeviceTest, OpenCloseAndReopen) {
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_FALSE(dev.Close());
    OpenDevice();
    EXPECT_TRUE(dev.IsOpen());
    EXPECT_FALSE(dev.Open(pty.SlavePath())) << "a device already open opens nothing more";
    EXPECT_TRUE(dev.Close());
    EXPECT_FALSE(dev.IsOpen());
    EXPECT_FALSE(dev.Close());
    EXPECT_TRUE(dev.Open(pty.SlavePath()));
}

TEST_F(PosixCommDeviceTest, ASecondOpenerFindsThePortBusyUntilTheFirstCloses) {
    OpenDevice();
    PosixCommDevice second;
    EXPECT_FALSE(second.Open(pty.SlavePath()));
    EXPECT_FALSE(second.IsOpen());
    ASSERT_TRUE(dev.Close());
    EXPECT_TRUE(second.Open(pty.SlavePath()));
    EXPECT_FALSE(dev.Open(pty.SlavePath()));
}

TEST_F(PosixCommDeviceTest, OpenFailsForWhatIsNoSerialPort) {
    for (const char* path : {"", "/nonexistent/tty", "/dev/null"}) {
        EXPECT_FALSE(dev.Open(path)) << path;
        EXPECT_FALSE(dev.IsOpen()) << path;
    }
}

TEST_F(PosixCommDeviceTest, EveryOperationFailsWhileClosed) {
    uint8_t byte = 0;
    uint32_t count = 0;
    uint32_t errors = 0;
    ComStat stat;
    Dcb dcb;
    dcb.BaudRate = 600;
    const struct {
        const char* name;
        std::function<bool()> call;
    } cases[] = {
        {"Close", [&] { return dev.Close(); }},
        {"SetupComm", [&] { return dev.SetupComm(4096, 4096); }},
        {"SetCommTimeouts", [&] { return dev.SetCommTimeouts({}); }},
        {"GetCommState", [&] { return dev.GetCommState(dcb); }},
        {"SetCommState", [&] { return dev.SetCommState(dcb); }},
        {"PurgeComm", [&] { return dev.PurgeComm(COMM_PURGE_ALL); }},
        {"ClearCommError", [&] { return dev.ClearCommError(errors, stat); }},
        {"EscapeCommFunction", [&] { return dev.EscapeCommFunction(COMM_SETDTR); }},
        {"ReadFile", [&] { return dev.ReadFile(&byte, 1, count); }},
        {"WriteFile", [&] { return dev.WriteFile(&byte, 1, count); }},
    };
    for (const auto& c : cases) EXPECT_FALSE(c.call()) << c.name;
}

TEST_F(PosixCommDeviceTest, RawLinePassesEveryByteUnchangedBothWaysWithoutEcho) {
    OpenDevice();
    SetReadTimeouts(0, 0, 5000);
    const Bytes all = AllByteValues();

    pty.Send(all);
    bool ok = false;
    EXPECT_EQ(ReadBytes(256, ok), all);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(pty.Receive(1, 200).empty()) << "the device echoed what it received";

    uint32_t written = 0;
    ASSERT_TRUE(dev.WriteFile(all.data(), 256, written));
    EXPECT_EQ(written, 256u);
    EXPECT_EQ(pty.Receive(257, 500), all);
}

// One ReadFile under given time-outs while the far end sends on a schedule.
struct TimedRead {
    const char* name;
    CommTimeouts timeouts;
    uint32_t toRead;
    Bytes queuedBefore;                           // already waiting when the read starts
    std::vector<std::pair<int, Bytes>> arrivals;  // (ms after the start, bytes)
    uint32_t minGot, maxGot;
    int minMs, maxMs;
};

CommTimeouts Reads(uint32_t interval, uint32_t multiplier, uint32_t constant) {
    CommTimeouts t;
    t.ReadIntervalTimeout = interval;
    t.ReadTotalTimeoutMultiplier = multiplier;
    t.ReadTotalTimeoutConstant = constant;
    return t;
}

std::vector<std::pair<int, Bytes>> OneByteEvery(int ms, int count) {
    std::vector<std::pair<int, Bytes>> arrivals;
    for (int i = 0; i < count; ++i) arrivals.push_back({i * ms, {static_cast<uint8_t>(i)}});
    return arrivals;
}

TEST_F(PosixCommDeviceTest, ReadsEndAsTheWin32TimeoutsSay) {
    const auto trickle = OneByteEvery(100, 10);
    const auto quickTrickle = OneByteEvery(50, 5);
    // clang-format off
    const TimedRead cases[] = {
        // name; time-outs (interval, multiplier, constant); bytes asked; queued before;
        // arrivals; bytes got (min, max); milliseconds (min, max)
        {"idle line: empty success after multiplier x count + constant",
         Reads(0, 10, 100),      5,  {},     {},                             0, 0, 140, 5000},
        {"idle line: multiplier alone",
         Reads(0, 100, 0),       3,  {},     {},                             0, 0, 280, 5000},
        {"idle line: the interval limit waits for a first byte",
         Reads(50, 0, 400),      5,  {},     {},                             0, 0, 380, 5000},
        {"the interval limit ends a partial read long before the total",
         Reads(100, 0, 6000),    5,  {},     {{0, {1, 2, 3}}},               3, 3, 90,  3000},
        {"bytes closer than the interval keep the read going",
         Reads(1000, 0, 0),      5,  {},     quickTrickle,                   5, 5, 180, 5000},
        {"the total limit ends a trickle",
         Reads(0, 0, 300),       10, {},     trickle,                        1, 9, 280, 3000},
        {"the full count ends the read at once",
         Reads(0, 0, 6000),      4,  {},     {{0, {1, 2, 3, 4}}},            4, 4, 0,   3000},
        {"no limits: the read waits for the full count",
         Reads(0, 0, 0),         4,  {},     {{0, {1, 2}}, {300, {3, 4}}},   4, 4, 280, 5000},
        {"MAXDWORD interval: what is queued, at once",
         Reads(kMax, 0, 0),      10, {7, 8}, {},                             2, 2, 0,   5000},
        {"MAXDWORD interval: nothing queued, at once",
         Reads(kMax, 0, 0),      10, {},     {},                             0, 0, 0,   5000},
        {"MAXDWORD interval and multiplier: the first bytes end the wait",
         Reads(kMax, kMax, 6000), 10, {},    {{100, {5, 6}}},                1, 2, 80,  3000},
        {"MAXDWORD interval and multiplier: idle until the constant",
         Reads(kMax, kMax, 300), 10, {},     {},                             0, 0, 280, 5000},
    };
    // clang-format on
    OpenDevice();
    for (const TimedRead& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(dev.PurgeComm(COMM_PURGE_ALL));
        ASSERT_TRUE(dev.SetCommTimeouts(c.timeouts));
        if (!c.queuedBefore.empty()) Prefill(c.queuedBefore);

        const auto start = Clock::now();
        std::thread farEnd([&] {
            for (const auto& [atMs, bytes] : c.arrivals) {
                std::this_thread::sleep_until(start + milliseconds(atMs));
                pty.Send(bytes);
            }
        });
        bool ok = false;
        const Bytes got = ReadBytes(c.toRead, ok);
        const auto ms = std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
        farEnd.join();

        EXPECT_TRUE(ok);
        EXPECT_GE(got.size(), c.minGot);
        EXPECT_LE(got.size(), c.maxGot);
        EXPECT_GE(ms, c.minMs);
        EXPECT_LE(ms, c.maxMs);
        // Leave nothing of this case for the next one.
        std::this_thread::sleep_for(milliseconds(20));
    }
}

TEST_F(PosixCommDeviceTest, ReadsHandOutBytesInTheOrderTheyCame) {
    OpenDevice();
    SetReadTimeouts(0, 0, 3000);
    Prefill({1, 2, 3, 4, 5});
    bool ok = false;
    EXPECT_EQ(ReadBytes(2, ok), (Bytes{1, 2}));
    EXPECT_EQ(ReadBytes(10, ok), (Bytes{3, 4, 5}));  // then the total limit
    EXPECT_TRUE(ok);
}

TEST_F(PosixCommDeviceTest, WriteTimesOutWhenTheFarEndTakesNothingAndCountsOnlyWhatWent) {
    OpenDevice();
    CommTimeouts t;
    t.WriteTotalTimeoutConstant = 300;
    ASSERT_TRUE(dev.SetCommTimeouts(t));
    Bytes block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7);

    const auto start = Clock::now();
    uint32_t written = 0;
    EXPECT_TRUE(dev.WriteFile(block.data(), static_cast<uint32_t>(block.size()), written));
    const auto ms = std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
    EXPECT_LT(written, block.size());
    EXPECT_GE(ms, 280);
    EXPECT_LE(ms, 10000);

    const Bytes arrived = pty.Receive(block.size(), 300);
    EXPECT_EQ(arrived.size(), written);
    EXPECT_TRUE(std::equal(arrived.begin(), arrived.end(), block.begin()));
}

TEST_F(PosixCommDeviceTest, WriteCompletesWhileTheFarEndReads) {
    OpenDevice();
    CommTimeouts t;
    t.WriteTotalTimeoutMultiplier = 1;
    t.WriteTotalTimeoutConstant = 5000;
    ASSERT_TRUE(dev.SetCommTimeouts(t));
    Bytes block(256 * 1024);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 13);

    Bytes arrived;
    std::thread farEnd([&] { arrived = pty.Receive(block.size(), 2000); });
    uint32_t written = 0;
    EXPECT_TRUE(dev.WriteFile(block.data(), static_cast<uint32_t>(block.size()), written));
    farEnd.join();
    EXPECT_EQ(written, block.size());
    EXPECT_EQ(arrived, block);
}

TEST_F(PosixCommDeviceTest, FarEndGoneMakesReadsAndWritesFailWithoutHanging) {
    HangGuard guard(60);
    OpenDevice();
    pty.CloseMaster();
    // A closed master hangs the slave up (EIO, POLLHUP): the device is gone,
    // which is no time-out, for every kind of read and for writes.
    for (const CommTimeouts& t : {Reads(0, 0, 300), Reads(0, 0, 0), Reads(50, 10, 0),
                                  Reads(kMax, 0, 0), Reads(kMax, kMax, 200)}) {
        ASSERT_TRUE(dev.SetCommTimeouts(t));
        bool ok = true;
        const Bytes got = ReadBytes(8, ok);
        EXPECT_FALSE(ok);
        EXPECT_TRUE(got.empty());
        EXPECT_TRUE(dev.IsGone());
    }
    const uint8_t bytes[] = {'+', '+', '+'};
    uint32_t written = 0;
    EXPECT_FALSE(dev.WriteFile(bytes, 3, written));
    EXPECT_TRUE(dev.IsGone());
    EXPECT_TRUE(dev.Close());
    EXPECT_TRUE(dev.IsGone()) << "gone until the next open succeeds";

    // The same device object serves the next port.
    PseudoTerminal next;
    ASSERT_TRUE(next.Ready());
    EXPECT_FALSE(dev.Open("/nonexistent/tty"));
    EXPECT_TRUE(dev.IsGone());
    ASSERT_TRUE(dev.Open(next.SlavePath()));
    EXPECT_FALSE(dev.IsGone());
    ASSERT_TRUE(dev.WriteFile(bytes, 3, written));
    EXPECT_EQ(next.Receive(3, 1000), Bytes(bytes, bytes + 3));
}

TEST_F(PosixCommDeviceTest, FarEndClosingEndsABlockingRead) {
    HangGuard guard(60);
    OpenDevice();
    SetReadTimeouts(0, 0, 0);
    std::thread farEnd([&] {
        std::this_thread::sleep_for(milliseconds(200));
        pty.CloseMaster();
    });
    bool ok = true;
    const Bytes got = ReadBytes(4, ok);
    farEnd.join();
    EXPECT_FALSE(ok);
    EXPECT_TRUE(got.empty());
    EXPECT_TRUE(dev.IsGone());
}

TEST_F(PosixCommDeviceTest, ATimeOutOnAQuietLineIsNoDeviceGone) {
    OpenDevice();
    for (const CommTimeouts& t : {Reads(0, 0, 50), Reads(kMax, 0, 0), Reads(kMax, kMax, 50)}) {
        ASSERT_TRUE(dev.SetCommTimeouts(t));
        bool ok = false;
        EXPECT_TRUE(ReadBytes(4, ok).empty());
        EXPECT_TRUE(ok);
        EXPECT_FALSE(dev.IsGone());
    }
    pty.Send({0x41});
    bool ok = false;
    ASSERT_TRUE(dev.SetCommTimeouts(Reads(0, 0, 1000)));
    EXPECT_EQ(ReadBytes(1, ok), Bytes{0x41});
    EXPECT_FALSE(dev.IsGone());
}

TEST_F(PosixCommDeviceTest, FailedOpensSayWhichDeviceAndWhy) {
    const ScratchDir dir;
    const std::string folder = dir.Path();
    const struct {
        std::string port;
        std::string text;
    } cases[] = {
        {"/nonexistent/tty", "/nonexistent/tty: No such device"},
        {folder, folder + ": Not a serial device"},
        {"/dev/null", "/dev/null: Not a serial device"},
        {std::string(5000, 'z'), std::string(5000, 'z') + ": File name too long"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(dev.Open(c.port));
        EXPECT_EQ(dev.OpenFailureText(), c.text);
        EXPECT_FALSE(dev.OpenFailureSystemError().empty());
    }
    // The port name stands for its device in the text.
    PosixCommDevice named([](const std::string&) { return std::string("/nonexistent/ttyUSB0"); });
    EXPECT_FALSE(named.Open("COM1"));
    EXPECT_EQ(named.OpenFailureText(), "/nonexistent/ttyUSB0: No such device");
    EXPECT_EQ(named.OpenFailureSystemError(), "No such file or directory (errno 2)");
    OpenDevice();
    EXPECT_TRUE(dev.OpenFailureText().empty());
}

// A link is followed anew at every open, as a re-plugged adapter's by-id
// link comes back pointing at another ttyUSB.
TEST_F(PosixCommDeviceTest, ALinkIsFollowedAtEveryOpen) {
    const ScratchDir dir;
    const std::string link = dir.PathOf("phone");
    ASSERT_EQ(symlink(pty.SlavePath().c_str(), link.c_str()), 0);
    const uint8_t bytes[] = {'A', 'T'};
    uint32_t written = 0;
    ASSERT_TRUE(dev.Open(link));
    ASSERT_TRUE(dev.WriteFile(bytes, 2, written));
    EXPECT_EQ(pty.Receive(2, 1000), Bytes(bytes, bytes + 2));
    ASSERT_TRUE(dev.Close());

    PseudoTerminal replugged;
    ASSERT_TRUE(replugged.Ready());
    ASSERT_EQ(unlink(link.c_str()), 0);
    EXPECT_FALSE(dev.Open(link));
    EXPECT_EQ(dev.OpenFailureText(), link + ": No such device");
    ASSERT_EQ(symlink(replugged.SlavePath().c_str(), link.c_str()), 0);
    ASSERT_TRUE(dev.Open(link));
    ASSERT_TRUE(dev.WriteFile(bytes, 2, written));
    EXPECT_EQ(replugged.Receive(2, 1000), Bytes(bytes, bytes + 2));
    // The lock is on the device the link names: opening it by its own path
    // finds it taken.
    PosixCommDevice second;
    EXPECT_FALSE(second.Open(replugged.SlavePath()));
    EXPECT_EQ(second.OpenFailureText(), replugged.SlavePath() +
                                            ": In use by another program (process " +
                                            std::to_string(getpid()) + ")");
    dev.Close();
}

TEST_F(PosixCommDeviceTest, OpenStartsRawEightBitsNoParityNoFlowControl) {
    OpenDevice();
    Dcb dcb;
    ASSERT_TRUE(dev.GetCommState(dcb));
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.fBinary, 1u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, COMM_NOPARITY);
    EXPECT_EQ(dcb.StopBits, COMM_ONESTOPBIT);
    EXPECT_EQ(dcb.fOutxCtsFlow | dcb.fOutX | dcb.fInX, 0u);
    EXPECT_EQ(dcb.fDtrControl, COMM_DTR_CONTROL_ENABLE);
}

TEST_F(PosixCommDeviceTest, SetCommStateTakesEveryWin32RateAndReadsItBack) {
    OpenDevice();
    for (uint32_t baud : {110u, 300u, 600u, 1200u, 2400u, 4800u, 9600u, 14400u, 19200u, 38400u,
                          56000u, 57600u, 115200u, 128000u, 256000u}) {
        SCOPED_TRACE(baud);
        Dcb dcb;
        ASSERT_TRUE(dev.GetCommState(dcb));
        dcb.BaudRate = baud;
        dcb.ByteSize = 8;
        ASSERT_TRUE(dev.SetCommState(dcb));
        Dcb back;
        ASSERT_TRUE(dev.GetCommState(back));
        EXPECT_EQ(back.BaudRate, baud);
        EXPECT_EQ(back.ByteSize, 8);
    }
}

TEST_F(PosixCommDeviceTest, ReopeningKeepsTheRateTheLineWasLeftAt) {
    for (uint32_t baud : {14400u, 2400u}) {  // a custom rate, a rate with a speed code
        SCOPED_TRACE(baud);
        OpenDevice();
        Dcb dcb;
        ASSERT_TRUE(dev.GetCommState(dcb));
        dcb.BaudRate = baud;
        ASSERT_TRUE(dev.SetCommState(dcb));
        ASSERT_TRUE(dev.Close());
        OpenDevice();
        ASSERT_TRUE(dev.GetCommState(dcb));
        EXPECT_EQ(dcb.BaudRate, baud);
        ASSERT_TRUE(dev.Close());
    }
}

TEST_F(PosixCommDeviceTest, SetCommStateSucceedsOnAPtyForEveryLineAndFramingAskedFor) {
    // A pseudo-terminal has no modem lines and keeps 8 bits without parity;
    // neither may fail the set-up.
    OpenDevice();
    for (uint32_t dtr : {COMM_DTR_CONTROL_DISABLE, COMM_DTR_CONTROL_ENABLE, COMM_DTR_CONTROL_HANDSHAKE}) {
        for (uint32_t rts :
             {COMM_RTS_CONTROL_DISABLE, COMM_RTS_CONTROL_ENABLE, COMM_RTS_CONTROL_HANDSHAKE, COMM_RTS_CONTROL_TOGGLE}) {
            for (uint8_t parity : {COMM_NOPARITY, COMM_EVENPARITY, COMM_ODDPARITY, COMM_MARKPARITY, COMM_SPACEPARITY}) {
                for (uint8_t size : {uint8_t{5}, uint8_t{7}, uint8_t{8}}) {
                    SCOPED_TRACE(testing::Message() << "dtr " << dtr << " rts " << rts << " parity "
                                                    << int(parity) << " size " << int(size));
                    Dcb dcb;
                    dcb.BaudRate = 600;
                    dcb.fBinary = 1;
                    dcb.ByteSize = size;
                    dcb.Parity = parity;
                    dcb.fDtrControl = dtr;
                    dcb.fRtsControl = rts;
                    EXPECT_TRUE(dev.SetCommState(dcb));
                }
            }
        }
    }
}

TEST_F(PosixCommDeviceTest, LineStatesReadBackAsSetWhereThePtyCannotTell) {
    OpenDevice();
    Dcb dcb;
    ASSERT_TRUE(dev.GetCommState(dcb));
    dcb.fDtrControl = COMM_DTR_CONTROL_DISABLE;
    dcb.fRtsControl = COMM_RTS_CONTROL_ENABLE;
    dcb.fOutX = 1;
    dcb.XonChar = 0x05;
    dcb.XoffChar = 0x06;
    ASSERT_TRUE(dev.SetCommState(dcb));
    Dcb back;
    ASSERT_TRUE(dev.GetCommState(back));
    EXPECT_EQ(back.fDtrControl, COMM_DTR_CONTROL_DISABLE);
    EXPECT_EQ(back.fRtsControl, COMM_RTS_CONTROL_ENABLE);
    EXPECT_EQ(back.fOutX, 1u);
    EXPECT_EQ(back.XonChar, 0x05);
    EXPECT_EQ(back.XoffChar, 0x06);
}

TEST_F(PosixCommDeviceTest, SetCommStateRefusesImpossibleSettingsAndChangesNothing) {
    OpenDevice();
    Dcb good;
    ASSERT_TRUE(dev.GetCommState(good));
    good.BaudRate = 9600;
    ASSERT_TRUE(dev.SetCommState(good));
    const struct {
        const char* name;
        void (*spoil)(Dcb&);
    } cases[] = {
        {"rate 0", [](Dcb& d) { d.BaudRate = 0; }},
        {"9 data bits", [](Dcb& d) { d.ByteSize = 9; }},
        {"parity 5", [](Dcb& d) { d.Parity = 5; }},
        {"stop bits 3", [](Dcb& d) { d.StopBits = 3; }},
        {"DTR control 3", [](Dcb& d) { d.fDtrControl = 3; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Dcb bad = good;
        bad.BaudRate = 600;
        c.spoil(bad);
        EXPECT_FALSE(dev.SetCommState(bad));
        Dcb now;
        ASSERT_TRUE(dev.GetCommState(now));
        EXPECT_EQ(now.BaudRate, 9600u);
    }
}

TEST_F(PosixCommDeviceTest, EscapeCommFunctionFailsOnALineWithoutModemLines) {
    OpenDevice();
    for (uint32_t f : {COMM_SETRTS, COMM_CLRRTS, COMM_SETDTR, COMM_CLRDTR, 0u, 99u}) {
        EXPECT_FALSE(dev.EscapeCommFunction(f)) << f;
    }
    EXPECT_TRUE(dev.IsOpen());
}

TEST_F(PosixCommDeviceTest, PurgeEmptiesTheReceiveQueueThatClearCommErrorCounts) {
    OpenDevice();
    EXPECT_TRUE(dev.SetupComm(4096, 4096));
    Prefill({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    uint32_t errors = 1;
    ComStat stat;
    ASSERT_TRUE(dev.ClearCommError(errors, stat));
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(stat.cbInQue, 10u);
    EXPECT_EQ(stat.cbOutQue, 0u);

    EXPECT_FALSE(dev.PurgeComm(0x10)) << "no such purge flag";
    ASSERT_TRUE(dev.PurgeComm(COMM_PURGE_RXABORT | COMM_PURGE_RXCLEAR));
    ASSERT_TRUE(dev.ClearCommError(errors, stat));
    EXPECT_EQ(stat.cbInQue, 0u);
    SetReadTimeouts(kMax, 0, 0);
    bool ok = false;
    EXPECT_TRUE(ReadBytes(10, ok).empty());
    EXPECT_TRUE(ok);
}

TEST_F(PosixCommDeviceTest, TimeoutsWindowsRefusesAreRefused) {
    OpenDevice();
    EXPECT_FALSE(dev.SetCommTimeouts(Reads(kMax, kMax, kMax)));
    EXPECT_TRUE(dev.SetCommTimeouts(Reads(kMax, kMax, 100)));
}

// A real serial port named by TELVOXA_TEST_PORT (a COMn name or a path);
// with TELVOXA_TEST_PORT_LOOPBACK=1 its TX is wired to its RX.
TEST(PosixCommDeviceHardware, RealPortTakesTheLinksSettings) {
    const char* port = std::getenv("TELVOXA_TEST_PORT");
    if (port == nullptr || *port == '\0') GTEST_SKIP() << "TELVOXA_TEST_PORT names no device";
    HangGuard guard(60);
    PosixCommDevice dev;
    ASSERT_TRUE(dev.Open(port));
    CommTimeouts t = Reads(16, 16, 64);
    t.WriteTotalTimeoutMultiplier = 64;
    t.WriteTotalTimeoutConstant = 1024;
    ASSERT_TRUE(dev.SetCommTimeouts(t));

    const struct {
        uint32_t baud;
        uint8_t size, parity, stop;
    } lines[] = {{600, 8, COMM_EVENPARITY, COMM_ONESTOPBIT},
                 {9600, 7, COMM_ODDPARITY, COMM_TWOSTOPBITS},
                 {115200, 8, COMM_NOPARITY, COMM_ONESTOPBIT}};
    for (const auto& l : lines) {
        SCOPED_TRACE(l.baud);
        Dcb dcb;
        ASSERT_TRUE(dev.GetCommState(dcb));
        dcb.BaudRate = l.baud;
        dcb.ByteSize = l.size;
        dcb.Parity = l.parity;
        dcb.StopBits = l.stop;
        dcb.fDtrControl = COMM_DTR_CONTROL_ENABLE;
        dcb.fRtsControl = COMM_RTS_CONTROL_DISABLE;
        ASSERT_TRUE(dev.SetCommState(dcb));
        Dcb back;
        ASSERT_TRUE(dev.GetCommState(back));
        EXPECT_EQ(back.BaudRate, l.baud);
        EXPECT_EQ(back.ByteSize, l.size);
        EXPECT_EQ(back.Parity, l.parity);
        EXPECT_EQ(back.StopBits, l.stop);
    }
    for (uint32_t f : {COMM_SETDTR, COMM_SETRTS, COMM_CLRRTS, COMM_CLRDTR}) EXPECT_TRUE(dev.EscapeCommFunction(f)) << f;

    if (const char* loop = std::getenv("TELVOXA_TEST_PORT_LOOPBACK"); loop && *loop == '1') {
        ASSERT_TRUE(dev.PurgeComm(COMM_PURGE_ALL));
        const Bytes all = AllByteValues();
        uint32_t written = 0;
        ASSERT_TRUE(dev.WriteFile(all.data(), 256, written));
        EXPECT_EQ(written, 256u);
        Bytes back(256);
        uint32_t got = 0;
        ASSERT_TRUE(dev.SetCommTimeouts(Reads(500, 0, 5000)));
        ASSERT_TRUE(dev.ReadFile(back.data(), 256, got));
        back.resize(got);
        EXPECT_EQ(back, all);
    }
    EXPECT_TRUE(dev.Close());
}

}  // namespace

namespace {

// The wait breaker wakes a real device's wait from another thread: a stop ends
// any read at once, a nudge only a read that yields and has received nothing.
TEST(PosixCommDeviceBreakerTest, StopAndNudgeWakeAWaitingRead) {
    struct Case {
        const char* what;
        bool yielding;
        bool nudge;  // else stop
        uint32_t limitMs;
        bool gaveWay;
    };
    // A limit of an hour: a read that is not woken would hang the test.
    const Case cases[] = {
        {"stop", false, false, 3'600'000, false},
        {"nudge while yielding", true, true, 3'600'000, true},
        {"nudge while not yielding", false, true, 150, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PseudoTerminal pty;
        ASSERT_TRUE(pty.Ready());
        PosixCommDevice device;
        ASSERT_TRUE(device.Open(pty.SlavePath()));
        CommTimeouts timeouts;
        timeouts.ReadTotalTimeoutConstant = c.limitMs;
        ASSERT_TRUE(device.SetCommTimeouts(timeouts));
        WaitBreaker breaker;
        device.SetWaitBreaker(&breaker);
        device.SetYielding(c.yielding);
        std::thread waker([&] {
            std::this_thread::sleep_for(milliseconds(30));
            if (c.nudge)
                breaker.Nudge();
            else
                breaker.Stop();
        });
        uint8_t byte = 0;
        uint32_t got = 1;
        EXPECT_TRUE(device.ReadFile(&byte, 1, got));
        waker.join();
        EXPECT_EQ(got, 0u);
        EXPECT_EQ(device.GaveWay(), c.gaveWay);
        device.SetWaitBreaker(nullptr);
    }
}

}  // namespace
