#pragma once
// A handset session on the in-memory port, driven on the test's own thread,
// with a recording view and call log and the link's communication log in a
// temporary file (it tells the link's buffer clearings from its writes).

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "handset/HandsetSession.h"
#include "support/FakeCommDevice.h"
#include "support/PhoneBytes.h"
#include "support/RecordingView.h"

using Bytes = FakeCommDevice::Bytes;

inline std::tm FixedTime(int minute) {
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_wday = 2;
    t.tm_hour = 9;
    t.tm_min = minute;
    return t;
}

constexpr int kStates[] = {CALL_IDLE,      CALL_OFFHOOK, CALL_SENDING,
                           CALL_RECEIVING, CALL_ONLINE,  CALL_HOLDING};
inline const char* const kStateNames[] = {"idle",      "off hook", "sending",
                                          "receiving", "on line",  "holding"};

class HandsetSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("TELVOXA_COMMLOG");
        char dir[] = "/tmp/telvoxa-session-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        m_dir = dir;
        auto device = std::make_unique<FakeCommDevice>();
        fake = device.get();
        session = std::make_unique<HandsetSession>(std::move(device), [this] { return now; });
        session->SetView(&view);
        session->AddCallSink(&calls);
        session->SetEventClock([] { return std::time_t{1000}; });
    }
    void TearDown() override {
        session.reset();
        std::filesystem::remove_all(m_dir);
    }

    static ConnectionSettings Settings(int port = 0, int numdisp = 0, int interval = 250) {
        return ConnectionSettings{port, 0, numdisp, interval, {}};
    }

    // The session after its start-up, its communication log open and what
    // the start-up did forgotten.
    void Start(ConnectionSettings settings = Settings()) {
        session->Start(settings);
        ASSERT_TRUE(session->Link().LogOpen((m_dir / "comm.log").string()));
        fake->ClearRecord();
        view.snapshots.clear();
        purges = fake->CallCount(FakeOp::PurgeComm);
    }

    // The session in `state` with a name and a number on show, as the window
    // last showed it.
    void Given(int state, bool append = true) {
        session->m_nCallState = state;
        session->m_strDisplay1 = "status";
        session->m_strDisplay2 = "name";
        session->m_strDisplay3 = "0123";
        session->m_strAntenna = "*";
        session->m_bAppendDigits = append;
        session->m_nPicture = state == CALL_IDLE ? 1 : 2;
        view.snapshots = {session->Snapshot()};
        calls.events.clear();
    }
    // What the window shows now.
    const HandsetSnapshot& Shown() const { return view.snapshots.back(); }

    // What went to the phone since the last look, in order: "clear" for each
    // emptying of the link's receive buffer, "write XX ..." for each write.
    // The port itself is never purged by a button or a tick.
    std::vector<std::string> Trace() {
        std::vector<std::string> out;
        std::ifstream log(m_dir / "comm.log");
        std::vector<std::string> lines;
        for (std::string line; std::getline(log, line);) lines.push_back(line);
        size_t write = 0;
        for (size_t i = logLinesSeen; i < lines.size(); ++i) {
            const std::string text = lines[i].substr(lines[i].find('\t') + 1);
            if (text.rfind("ClearBuf()", 0) == 0) {
                out.push_back("clear");
            } else if (text.rfind("CommWrite()", 0) == 0) {
                out.push_back(write < fake->writes.size() ? Write(fake->writes[write]) : "?");
                ++write;
            }
        }
        EXPECT_EQ(write, fake->writes.size());
        EXPECT_EQ(fake->CallCount(FakeOp::PurgeComm), purges);
        logLinesSeen = lines.size();
        fake->ClearRecord();
        return out;
    }

    FakeCommDevice* fake = nullptr;
    std::unique_ptr<HandsetSession> session;
    RecordingView view;
    RecordingCallSink calls;
    std::tm now = FixedTime(7);
    size_t logLinesSeen = 0;
    int purges = 0;

private:
    std::filesystem::path m_dir;
};
