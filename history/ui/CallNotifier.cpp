#include "history/ui/CallNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDeadlineTimer>
#include <QMetaObject>
#include <QVariantMap>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/Cp932.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// A service that does not answer within this is taken as absent.
constexpr int kReplyTimeoutMs = 3000;
constexpr unsigned char kUrgencyNormal = 1;
constexpr unsigned char kUrgencyCritical = 2;  // stays until withdrawn
// How long the end waits for the id of a notification still being shown.
constexpr int kEndWaitMs = 500;

QDBusMessage ServiceCall(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

}  // namespace

QString NotificationBody(const std::string& nameCp932, const std::string& number) {
    // As the handset shows a caller: the phone-book name and the number as
    // far as they came, "Not Notified" only when neither did.
    QStringList lines;
    if (!nameCp932.empty()) lines << QString::fromStdString(Cp932ToUtf8(nameCp932));
    if (!number.empty()) lines << QString::fromStdString(number);
    if (lines.isEmpty()) lines << QStringLiteral("Not Notified");
    return lines.join(QLatin1Char('\n'));
}

QString EscapeMarkup(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('&'))
            escaped += QStringLiteral("&amp;");
        else if (c == QLatin1Char('<'))
            escaped += QStringLiteral("&lt;");
        else if (c == QLatin1Char('>'))
            escaped += QStringLiteral("&gt;");
        else
            escaped += c;
    }
    return escaped;
}

CCallNotifier::CCallNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {}

CCallNotifier::~CCallNotifier() {
    // A notification of a call that is still ringing goes with the program,
    // also one whose id is still on its way back (waited for, briefly).
    const QDeadlineTimer deadline(kEndWaitMs);
    if (m_awaitingId && m_inFlight) {
        while (!m_inFlight->isFinished() && !deadline.hasExpired())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const QDBusPendingReply<quint32> reply = *m_inFlight;
        if (reply.isFinished() && reply.isValid() && !reply.isError()) m_id = reply.value();
        m_awaitingId = false;
    }
    if (m_id == 0 || !m_bus.isConnected()) return;
    QDBusMessage close = ServiceCall(QStringLiteral("CloseNotification"));
    close << std::exchange(m_id, 0);
    // Sent before the program ends, not merely queued.
    m_bus.call(close, QDBus::Block, std::max(1, int(deadline.remainingTime())));
}

void CCallNotifier::OnCallEvent(const CallEvent& event) {
    QMetaObject::invokeMethod(
        this, [this, event] { Handle(event); }, Qt::QueuedConnection);
}

void CCallNotifier::Handle(const CallEvent& event) {
    switch (event.kind) {
        case CallEventKind::Incoming:
            ShowRinging(event);
            break;
        case CallEventKind::Answered:
            ShowAnswered();
            break;
        case CallEventKind::Ended:
            Withdraw();
            emit CallEnded();
            break;
        default:
            break;
    }
}

void CCallNotifier::ShowRinging(const CallEvent& event) {
    Withdraw();
    ++m_call;
    m_body = NotificationBody(event.name, event.number);
    SendNotify(0, m_body, kUrgencyCritical);
}

void CCallNotifier::ShowAnswered() {
    if (m_awaitingId) {
        if (m_next == Next::None) m_next = Next::Replace;
        return;
    }
    if (m_id == 0) return;
    SendNotify(m_id, m_body + QStringLiteral("\nOn Line"), kUrgencyNormal);
}

void CCallNotifier::Withdraw() {
    if (m_awaitingId) {
        m_next = Next::Withdraw;
        return;
    }
    if (m_id == 0) return;
    SendClose(std::exchange(m_id, 0));
}

void CCallNotifier::SendClose(quint32 id) {
    QDBusMessage close = ServiceCall(QStringLiteral("CloseNotification"));
    close << id;
    m_bus.asyncCall(close, kReplyTimeoutMs);
}

void CCallNotifier::SendNotify(quint32 replacesId, const QString& body, unsigned char urgency) {
    if (!m_bus.isConnected()) return;
    m_awaitingId = true;
    m_next = Next::None;
    if (!m_capabilitiesKnown) {
        // Whether the service reads markup decides the body's form: asked
        // once, and this notification waits for the answer.
        m_waiting = Waiting{replacesId, body, urgency};
        if (!m_askingCapabilities) AskCapabilities();
        return;
    }
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(urgency));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("telvoxa"));
    QDBusMessage notify =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    notify << QStringLiteral("Telvoxa") << replacesId << QStringLiteral("telvoxa")
           << QStringLiteral("着信") << (m_markup ? EscapeMarkup(body) : body) << QStringList()
           << hints << qint32(-1);
    m_inFlight = m_bus.asyncCall(notify, kReplyTimeoutMs);
    auto* watcher = new QDBusPendingCallWatcher(*m_inFlight, this);
    const quint64 call = m_call;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, call](QDBusPendingCallWatcher* w) { OnNotifyReply(w, call); });
}

void CCallNotifier::AskCapabilities() {
    m_askingCapabilities = true;
    auto* watcher = new QDBusPendingCallWatcher(
        m_bus.asyncCall(ServiceCall(QStringLiteral("GetCapabilities")), kReplyTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QStringList> reply = *w;
        m_markup = reply.isValid() && !reply.isError() &&
                   reply.value().contains(QStringLiteral("body-markup"));
        m_capabilitiesKnown = true;
        m_askingCapabilities = false;
        const auto waiting = std::exchange(m_waiting, std::nullopt);
        if (waiting && m_next == Next::Withdraw) {
            // The call ended before anything was shown: nothing to show.
            m_awaitingId = false;
            m_next = Next::None;
        } else if (waiting) {
            const Next next = m_next;
            SendNotify(waiting->replacesId, waiting->body, waiting->urgency);
            m_next = next;
        }
    });
}

void CCallNotifier::OnNotifyReply(QDBusPendingCallWatcher* watcher, quint64 call) {
    watcher->deleteLater();
    const QDBusPendingReply<quint32> reply = *watcher;
    // No service, or one that failed: nothing is on show.
    const quint32 id = reply.isValid() && !reply.isError() ? reply.value() : 0;
    if (call != m_call) {
        // The notification of a call that a newer one has replaced.
        if (id != 0) SendClose(id);
        return;
    }
    m_awaitingId = false;
    m_inFlight.reset();
    m_id = id;
    const Next next = std::exchange(m_next, Next::None);
    if (next == Next::Replace) ShowAnswered();
    if (next == Next::Withdraw) Withdraw();
}
