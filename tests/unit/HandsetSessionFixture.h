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
#include "support/CallStates.h"
#include "support/CommTrace.h"
#include "support/FakeCommDevice.h"
#include "support/FixedTime.h"
#include "support/PhoneBytes.h"
#include "support/RecordingView.h"
#include "support/ScratchDir.h"
#include "support/SessionAccess.h"

using Bytes = FakeCommDevice::Bytes;

class HandsetSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("TELVOXA_COMMLOG");
        auto device = std::make_unique<FakeCommDevice>();
        fake = device.get();
        session = std::make_unique<HandsetSession>(std::move(device), [this] { return now; });
        session->SetView(&view);
        session->AddCallSink(&calls);
        session->SetEventClock([] { return std::time_t{1000}; });
    }
    void TearDown() override { session.reset(); }

    static ConnectionSettings Settings(int port = 0, int numdisp = 0, int interval = 250) {
        return ConnectionSettings{port, 0, numdisp, interval, {}};
    }

    // The session after its start-up, its communication log open and what
    // the start-up did forgotten.
    void Start(ConnectionSettings settings = Settings()) {
        session->Start(settings);
        ASSERT_TRUE(session->Link().LogOpen(m_dir.PathOf("comm.log")));
        fake->ClearRecord();
        view.snapshots.clear();
        trace.Follow(*fake, m_dir.PathOf("comm.log"));
    }

    // The session in `state` with a name and a number on show, as the window
    // last showed it.
    void Given(int state, bool append = true) {
        TestState(*session).callState = state;
        TestState(*session).display1 = "status";
        TestState(*session).display2 = "name";
        TestState(*session).display3 = "0123";
        TestState(*session).antenna = "*";
        TestState(*session).appendDigits = append;
        TestState(*session).picture = state == CALL_IDLE ? 1 : 2;
        view.snapshots = {session->Snapshot()};
        calls.events.clear();
    }
    // What the window shows now.
    const HandsetSnapshot& Shown() const { return view.snapshots.back(); }

    // What went to the phone since the last look. A button or a tick never
    // purges the port itself.
    std::vector<std::string> Trace() { return trace.Next(); }

    FakeCommDevice* fake = nullptr;
    std::unique_ptr<HandsetSession> session;
    RecordingView view;
    RecordingCallSink calls;
    std::tm now = FixedTime(7);
    CommTrace trace;

private:
    ScratchDir m_dir;
};
