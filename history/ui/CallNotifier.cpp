#include "history/ui/CallNotifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMetaObject>
#include <QVariantMap>
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

}  // namespace

CCallNotifier::CCallNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {}

CCallNotifier::~CCallNotifier() {
    // A notification of a call that is still ringing goes with the program.
    Withdraw();
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
    const QString name = event.name.empty() ? QStringLiteral("Not Notified")
                                            : QString::fromStdString(Cp932ToUtf8(event.name));
    m_body = name + QLatin1Char('\n') + QString::fromStdString(event.number);
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
    QDBusMessage close = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                        QStringLiteral("CloseNotification"));
    close << id;
    m_bus.asyncCall(close, kReplyTimeoutMs);
}

void CCallNotifier::SendNotify(quint32 replacesId, const QString& body, unsigned char urgency) {
    if (!m_bus.isConnected()) return;
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(urgency));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("telvoxa"));
    QDBusMessage notify =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    notify << QStringLiteral("Telvoxa") << replacesId << QStringLiteral("telvoxa")
           << QStringLiteral("着信") << body << QStringList() << hints << qint32(-1);
    m_awaitingId = true;
    m_next = Next::None;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(notify, kReplyTimeoutMs), this);
    const quint64 call = m_call;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, call](QDBusPendingCallWatcher* w) { OnNotifyReply(w, call); });
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
    m_id = id;
    const Next next = std::exchange(m_next, Next::None);
    if (next == Next::Replace) ShowAnswered();
    if (next == Next::Withdraw) Withdraw();
}
