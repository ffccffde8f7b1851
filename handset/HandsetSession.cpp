// The session's life: start-up with the port, the settings and reconnection
// loop, the end of the run, and what it reports to the window and of calls.

#include "handset/HandsetSession.h"

#include <algorithm>
#include <utility>

#include "link/PortOpenMessage.h"

namespace {

// The phone tells what it did before the PC's hang-up within a moment; a
// report later than this is of a call placed anew.
constexpr std::time_t kLateReportSeconds = 5;

std::tm SystemClock() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace

HandsetSession::HandsetSession(std::unique_ptr<CommDevice> device, ClockSource clock)
    : m_link(std::move(device)),
      m_clock(clock ? std::move(clock) : ClockSource(&SystemClock)),
      m_eventClock([] { return std::time(nullptr); }) {}

void HandsetSession::Start(const ConnectionSettings& settings) {
    m_strDisplay1 = "Connecting...";
    Publish(true);
    ApplySettings(settings);
    if (!OpenPort()) {
        if (m_view) m_view->ShowMessage(PortOpenErrorMessage(m_link));
        m_link.CommClose(0);
        if (!RunReconnectionLoop()) {
            if (m_view) m_view->EndProgram();
            return;
        }
    }
    // Forget what the phone sent before, and put it on hook.
    m_link.ClearBuf(1);
    m_link.HangUp();
    m_nCallState = CALL_IDLE;
    SetPicture(1);
    // The interval in force is the last one applied: the settings dialog's
    // when the loop ran, else the one given.
    Publish(true);
    StartMonitor();
}

void HandsetSession::Close() {
    StopMonitor();
    // A call still going when the program ends is over for the history:
    // it keeps the time on line so far, not a call left in progress.
    if (m_nCallState != CALL_IDLE) {
        m_nCallState = CALL_IDLE;
        ReportEnded(CallEndedBy::User, 0, false);
    }
    m_link.CommClose(0);
    m_link.LogClose();
}

bool HandsetSession::OpenPort() {
    m_bOpening = true;
    const bool opened = m_link.CommOpen(0) != 0;
    m_bOpening = false;
    return opened;
}

void HandsetSession::ApplySettings(const ConnectionSettings& settings) {
    m_link.m_cable = settings.cable;
    m_link.m_port = settings.port;
    m_link.m_numdisp = settings.numdisp ? 1 : 0;
    m_nMonitorInterval = settings.interval;
    if (m_portPaths) *m_portPaths = settings.portPaths;
}

void HandsetSession::OnSettings() {
    if (m_nCallState != CALL_IDLE) return;
    StopMonitor();
    // A lost link's port was closed when the device went.
    if (!m_bLinkLost) m_link.CommClose(0);
    if (!RunReconnectionLoop()) {
        // The user chose to end the program rather than go on without a port.
        if (m_view) m_view->EndProgram();
        return;
    }
    StartMonitor();
}

bool HandsetSession::RunReconnectionLoop() {
    for (;;) {
        // Whichever button closed it, its values are used.
        const std::optional<ConnectionSettings> settings =
            m_view ? m_view->AskSettings() : std::nullopt;
        if (!settings) return false;
        ApplySettings(*settings);
        const std::string shown = m_strDisplay1;
        m_strDisplay1 = "Connecting...";
        Publish(true);
        const bool opened = OpenPort();
        m_strDisplay1 = shown;
        if (opened) {
            // The port is this loop's now: no reconnection try may touch it.
            LinkBack();
            Publish(true);
            return true;
        }
        Publish(true);
        m_link.CommClose(0);
        if (m_view) m_view->ShowMessage(PortRetryMessage(m_link));
    }
}

void HandsetSession::CheckLink() {
    if (m_bLinkLost || !m_link.Device().IsOpen() || !m_link.Device().IsGone()) return;
    m_link.LogLine("Device Gone");
    m_link.CommClose(0);
    m_bLinkLost = true;
    // A call in progress is over; an idle handset keeps the number being
    // typed and a charge on show.
    if (m_nCallState != CALL_IDLE) {
        BackToIdle();
        ReportEnded(CallEndedBy::LinkLost, 0, false);
    }
    m_strDisplay1 = ClockText(m_clock());
    m_strAntenna = "No Connection";
    Publish(true);
}

void HandsetSession::ShowClockWhileLost() {
    if (!m_bLinkLost) return;
    const std::string clock = ClockText(m_clock());
    if (clock == m_strDisplay1 && m_strAntenna == "No Connection") return;
    m_strDisplay1 = clock;
    m_strAntenna = "No Connection";
    Publish(true);
}

void HandsetSession::ShowNoConnection() {
    m_strAntenna = "No Connection";
    Publish(true);
}

ReconnectTry HandsetSession::TryReconnect() {
    if (!m_bLinkLost) return ReconnectTry::Opened;
    // The settings loop may have opened the port meanwhile: it is kept.
    if (m_link.Device().IsOpen() && !m_link.Device().IsGone()) {
        LinkBack();
        return ReconnectTry::Opened;
    }
    m_link.LogLine("Reconnect Try");
    // The cable's handshake waits long for a silent phone; they give way to
    // an input, and the try is abandoned to start again after it.
    CommDevice& device = m_link.Device();
    device.SetYielding(true);
    const bool opened = m_link.CommOpen(0) && !device.GaveWay();
    if (!opened) m_link.CommClose(0);
    const bool gaveWay = device.GaveWay();
    device.SetYielding(false);
    if (!opened) {
        if (gaveWay) m_link.LogLine("Reconnect Try Gave Way");
        return gaveWay ? ReconnectTry::GaveWay : ReconnectTry::Failed;
    }
    LinkBack();
    return ReconnectTry::Opened;
}

void HandsetSession::LinkBack() {
    if (!m_bLinkLost) return;
    m_bLinkLost = false;
    // What the phone sent before the cable went is of no use now.
    m_link.ClearBuf(1);
}

void HandsetSession::StartMonitor() {
    // Starting a running timer only restarts its period.
    m_bMonitoring = true;
    ++m_nMonitorGeneration;
}

int HandsetSession::MonitorPeriod() const {
    return std::max(m_nMonitorInterval, MIN_TIMER_PERIOD);
}

void HandsetSession::SetPicture(int which) {
    m_nPicture = (which == 1 || which == 2) ? which : 0;
}

HandsetSnapshot HandsetSession::Snapshot() const {
    HandsetSnapshot snapshot;
    snapshot.callState = m_nCallState;
    snapshot.display1 = m_strDisplay1;
    snapshot.display2 = m_strDisplay2;
    snapshot.display3 = m_strDisplay3;
    snapshot.antenna = m_strAntenna;
    snapshot.picture = m_nPicture;
    return snapshot;
}

void HandsetSession::Publish(bool repaint) {
    if (!m_view) return;
    HandsetSnapshot snapshot = Snapshot();
    snapshot.repaint = repaint;
    m_view->ShowSnapshot(snapshot);
}

void HandsetSession::Report(CallEventKind kind, std::string number, std::string name) {
    // A late report the phone then carried on with is a call of its own.
    if (std::exchange(m_bUnreportedCall, false)) Report(CallEventKind::OutgoingFromPhone);
    if (m_callSinks.empty()) return;
    CallEvent event;
    event.kind = kind;
    event.when = m_eventClock();
    event.number = std::move(number);
    event.name = std::move(name);
    for (CallEventSink* sink : m_callSinks) sink->OnCallEvent(event);
}

void HandsetSession::ReportEnded(CallEndedBy by, int charge, bool withCharge) {
    // The end of a late report: its call has ended already.
    if (std::exchange(m_bUnreportedCall, false)) return;
    if (m_callSinks.empty()) return;
    CallEvent event;
    event.kind = CallEventKind::Ended;
    event.when = m_eventClock();
    event.endedBy = by;
    if (withCharge && charge >= 0) {
        event.charge = ChargeKind::Yen;
        event.chargeYen = charge;
    } else if (withCharge && charge == -1) {
        event.charge = ChargeKind::Unknown;
    }
    for (CallEventSink* sink : m_callSinks) sink->OnCallEvent(event);
}

void HandsetSession::ExpectLateReports() {
    m_bLateReportsDue = true;
    m_tLateReportsSince = m_eventClock();
}

void HandsetSession::ReportPlacedOnPhone() {
    const std::time_t now = m_eventClock();
    const bool late = std::exchange(m_bLateReportsDue, false) && now >= m_tLateReportsSince &&
                      now - m_tLateReportsSince <= kLateReportSeconds;
    if (late) {
        m_bUnreportedCall = true;
        return;
    }
    Report(CallEventKind::OutgoingFromPhone);
}
