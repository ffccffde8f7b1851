// The session's start-up, its settings loop, the monitoring tick of each
// call state, and the caller looked up in the phone book.

#include "handset/CallerDirectory.h"
#include "unit/HandsetSessionFixture.h"

namespace {

class HandsetSessionTickTest : public HandsetSessionTest {};

TEST_F(HandsetSessionTickTest, StartUpShowsConnectingThenPutsThePhoneOnHookAndMonitors) {
    session->Start(Settings());
    EXPECT_EQ(view.snapshots.front().display1, "Connecting...");
    EXPECT_TRUE(view.snapshots.front().repaint);
    EXPECT_EQ(fake->written, Bytes{0xA6});
    EXPECT_EQ(fake->CallsStartingWith("Open("), std::vector<std::string>{"Open(COM1)"});
    EXPECT_EQ(Shown().callState, CALL_IDLE);
    EXPECT_EQ(Shown().picture, 1);
    EXPECT_TRUE(TestState(*session).appendDigits);
    EXPECT_TRUE(session->IsMonitoring());
    EXPECT_TRUE(view.messages.empty());

    session->Close();
    EXPECT_FALSE(session->IsMonitoring());
    EXPECT_FALSE(fake->IsOpen());
}

TEST_F(HandsetSessionTickTest, TheMonitoringPeriodIsTheIntervalButNeverBelowTenMilliseconds) {
    const std::pair<int, int> cases[] = {{0, 10}, {-5, 10}, {9, 10}, {10, 10}, {300, 300}};
    for (auto [interval, period] : cases) {
        session->Start(Settings(0, 0, interval));
        EXPECT_EQ(session->MonitorPeriod(), period) << interval;
        session->Close();
    }
}

TEST_F(HandsetSessionTickTest, AFailedOpenAsksForSettingsUntilAPortOpens) {
    fake->FailCall(FakeOp::Open, 1);
    fake->FailCall(FakeOp::Open, 2);
    view.settingsAnswers = {Settings(0, 0, 250), Settings(1, 0, 80)};
    session->Start(Settings());
    EXPECT_EQ(view.messages,
              (std::vector<std::string>{"COM Port Open Error !!", "Init Connection Again !!"}));
    EXPECT_EQ(view.settingsShown, 2);
    EXPECT_EQ(session->Link().m_port, 1);
    EXPECT_EQ(fake->openedName, "COM2");
    EXPECT_EQ(fake->written, Bytes{0xA6});
    EXPECT_TRUE(session->IsMonitoring());
    // The interval chosen in the dialog is the one in force.
    EXPECT_EQ(session->MonitorPeriod(), 80);
    EXPECT_EQ(Shown().callState, CALL_IDLE);
    EXPECT_EQ(view.programEnded, 0);
}

TEST_F(HandsetSessionTickTest, TheQuitButtonEndsTheProgramInsteadOfRetrying) {
    fake->Fail(FakeOp::Open);
    session->Start(Settings());  // no answer scripted: the quit button
    EXPECT_EQ(view.messages, std::vector<std::string>{"COM Port Open Error !!"});
    EXPECT_EQ(view.settingsShown, 1);
    EXPECT_EQ(view.programEnded, 1);
    EXPECT_FALSE(session->IsMonitoring());
    EXPECT_TRUE(fake->written.empty());
}

TEST_F(HandsetSessionTickTest, TheSettingsActOnlyWhenIdleAndReopenWithTheDialogsValues) {
    Start(Settings(1));
    view.settingsAnswers = {Settings(0, 0, 0)};
    TestState(*session).callState = CALL_ONLINE;
    session->OnSettings();
    EXPECT_EQ(view.settingsShown, 0);
    EXPECT_TRUE(session->IsMonitoring());

    TestState(*session).callState = CALL_IDLE;
    TestState(*session).display1 = "clock";
    bool monitoringWhileShown = true;
    bool openWhileShown = true;
    view.whileAsked = [&] {
        monitoringWhileShown = session->IsMonitoring();
        openWhileShown = fake->IsOpen();
    };
    session->OnSettings();
    EXPECT_EQ(view.settingsShown, 1);
    EXPECT_FALSE(monitoringWhileShown);
    EXPECT_FALSE(openWhileShown);
    EXPECT_EQ(fake->CallsStartingWith("Open("), std::vector<std::string>{"Open(COM1)"});
    EXPECT_EQ(session->Link().m_port, 0);
    // The port opens with "Connecting..." on show, then the display is as before.
    EXPECT_EQ(view.Display1History(), (std::vector<std::string>{"Connecting...", "clock"}));
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(session->IsMonitoring());
    EXPECT_EQ(session->MonitorPeriod(), 10);
    // The port is open again: the phone's bytes reach the display.
    fake->Incoming({0xCD});
    session->OnTimer();
    EXPECT_EQ(Shown().antenna, "****");

    // The quit button ends the program, without monitoring.
    session->OnSettings();
    EXPECT_EQ(view.programEnded, 1);
    EXPECT_FALSE(session->IsMonitoring());
}

struct TickRow {
    const char* name;
    int state;
    Bytes phone;
    int nextState;
    const char* display1;  // nullptr: as before the tick
    const char* display2;
    const char* display3;
    const char* antenna;
    int picture;  // 0 none, 1, 2
    bool append;
};

TEST_F(HandsetSessionTickTest, EachStateAnswersThePhonesBytes) {
    const Bytes blocks = {0xE1, 1, 2, 3, 0xE7, 4, 5};
    const char* clock = "03/05(Tue) 09:07";
    // clang-format off
    const TickRow rows[] = {
        {"idle, call without number", CALL_IDLE, {0xA5, 0x41}, CALL_RECEIVING, "Receiving...",
         "Not Notified", "", nullptr, 2, true},
        {"idle, placing a call", CALL_IDLE, {0x26}, CALL_SENDING, nullptr, nullptr, nullptr,
         nullptr, 0, false},
        {"idle, off hook", CALL_IDLE, {0x21}, CALL_OFFHOOK, nullptr, nullptr, nullptr, nullptr, 0,
         false},
        {"idle, status", CALL_IDLE, {0xC5}, CALL_IDLE, clock, nullptr, nullptr, "**", 1, false},
        {"idle, out of service", CALL_IDLE, {0x81}, CALL_IDLE, clock, nullptr, nullptr,
         "No Service", 1, false},
        {"idle, unknown status", CALL_IDLE, {0x55}, CALL_IDLE, clock, nullptr, nullptr, "", 1,
         false},
        {"idle, silent phone", CALL_IDLE, {}, CALL_IDLE, clock, nullptr, nullptr, "No Connection",
         1, false},
        {"off hook, dialling", CALL_OFFHOOK, {0x26}, CALL_SENDING, nullptr, nullptr, nullptr,
         nullptr, 2, false},
        {"off hook, ended", CALL_OFFHOOK, {0x20, 0x41}, CALL_IDLE, nullptr, "", "", nullptr, 1,
         true},
        {"off hook, nothing new", CALL_OFFHOOK, {0xC5}, CALL_OFFHOOK, "Off Hook", nullptr, nullptr,
         nullptr, 2, false},
        {"sending, connected", CALL_SENDING, {0xA7}, CALL_ONLINE, nullptr, nullptr, nullptr,
         nullptr, 2, false},
        {"sending, ended", CALL_SENDING, {0xE7}, CALL_IDLE, nullptr, "", "", nullptr, 1, true},
        {"sending, nothing new", CALL_SENDING, {0x41}, CALL_SENDING, "Sending...", nullptr,
         nullptr, nullptr, 2, false},
        {"ringing, ended", CALL_RECEIVING, {0xA4, 0xA6}, CALL_IDLE, nullptr, "", "", nullptr, 1,
         true},
        {"ringing, answered", CALL_RECEIVING, {0xA7}, CALL_ONLINE, nullptr, nullptr, "", nullptr,
         0, true},
        {"ringing, held", CALL_RECEIVING, {0xA4, 0x83}, CALL_HOLDING, nullptr, nullptr, "",
         nullptr, 0, true},
        {"ringing, nothing new", CALL_RECEIVING, {0x41}, CALL_RECEIVING, "Receiving...", nullptr,
         nullptr, nullptr, 2, false},
        {"on line, ended with charge", CALL_ONLINE,
         Join({{0xA6, 0xE2}, Codes("120"), {0xAA}, blocks}), CALL_IDLE, nullptr, "",
         "Charge \\120", nullptr, 2, false},
        {"on line, ended without charge", CALL_ONLINE,
         Join({{0xA6, 0x41, 0x41, 0x41, 0x41}, blocks}), CALL_IDLE, nullptr, "", "Cahrge \\???",
         nullptr, 2, false},
        {"on line, status", CALL_ONLINE, {0xC9}, CALL_ONLINE, "On Line", nullptr, nullptr, "***",
         2, false},
        {"holding, resumed", CALL_HOLDING, {0x82, 0xA7}, CALL_ONLINE, nullptr, nullptr, "",
         nullptr, 0, true},
        {"holding, ended", CALL_HOLDING, {0x82, 0x41}, CALL_IDLE, nullptr, "", "", nullptr, 1,
         true},
        {"holding, nothing new", CALL_HOLDING, {0x41}, CALL_HOLDING, "Holding", nullptr, nullptr,
         nullptr, 2, false},
    };
    // clang-format on
    Start();
    for (const TickRow& row : rows) {
        SCOPED_TRACE(row.name);
        Given(row.state, false);
        fake->Incoming(row.phone);

        session->OnTimer();

        EXPECT_EQ(TestState(*session).appendDigits, row.append);
        EXPECT_EQ(Shown().callState, row.nextState);
        EXPECT_EQ(Shown().display1, row.display1 ? row.display1 : "status");
        EXPECT_EQ(Shown().display2, row.display2 ? row.display2 : "name");
        EXPECT_EQ(Shown().display3, row.display3 ? row.display3 : "0123");
        EXPECT_EQ(Shown().antenna, row.antenna ? row.antenna : "*");
        EXPECT_EQ(Shown().picture, row.picture);
        // Nothing may be left over for the next row, and a tick writes nothing.
        EXPECT_EQ(fake->PendingIncoming(), 0u);
        EXPECT_TRUE(fake->written.empty());
    }
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(HandsetSessionTickTest, AnIdleTickRepaintsOnlyWhenSignalOrClockChanged) {
    Start();
    auto tick = [&](uint8_t status) {
        view.snapshots.clear();
        fake->Incoming({status});
        session->OnTimer();
        return !view.snapshots.empty() && view.snapshots.back().repaint;
    };
    EXPECT_TRUE(tick(0xC5));
    EXPECT_FALSE(tick(0xC5));
    EXPECT_TRUE(tick(0xC9));
    now = FixedTime(8);
    EXPECT_TRUE(tick(0xC9));
    EXPECT_EQ(Shown().display1, "03/05(Tue) 09:08");
}

TEST_F(HandsetSessionTickTest, AnIncomingCallNamesTheFirstMatchingRecordAndComesToTheFront) {
    PhoneBook book;
    auto add = [&](const char* name, const char* reading, const char* number) {
        auto record = std::make_unique<CMemoryDial>();
        record->m_strName = name;
        record->m_strReading = reading;
        record->m_strNumber[0] = number;
        book.m_records[size_t(book.m_nRecords++)] = std::move(record);
    };
    add("Other", "", "0311112222");
    add("First", "", "0312345678");
    add("Second", "", "0312345678");
    add("", "\xD6\xCE\xDF", "0900000000");  // only a reading: ﾖﾎﾟ
    session->SetCallerDirectory(CallerDirectory::FromPhoneBook(book));
    Start();
    const struct {
        const char* number;
        const char* name;
    } rows[] = {
        {"0312345678", "First"},
        {"0900000000", "\xD6\xCE\xDF"},
        // An unknown number leaves the name line as it was.
        {"999", "\xD6\xCE\xDF"},
    };
    int calls = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.number);
        TestState(*session).callState = CALL_IDLE;
        fake->Incoming(Join({{0xA5, 0xE0}, Codes(row.number), {0xAA}}));
        session->OnTimer();
        EXPECT_EQ(Shown().display1, "Receiving...");
        EXPECT_EQ(Shown().display2, row.name);
        EXPECT_EQ(Shown().display3, row.number);
        EXPECT_EQ(view.broughtToFront, ++calls);
    }
}

}  // namespace
