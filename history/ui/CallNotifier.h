#pragma once
// A desktop notification for an incoming call, through the freedesktop
// notification service on the session bus: shown when the phone rings,
// replaced when the call is answered, withdrawn when it ends. Every call to
// the service is asynchronous; without a bus or a service nothing is shown
// and nothing waits. The body is the phone-book name and the number, as far
// as they came ("Not Notified" when neither did), escaped where the service
// reads markup. A ringing notification is withdrawn at the end, also one
// whose id is still on its way back.

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QObject>
#include <QString>
#include <optional>
#include <string>

#include "handset/CallEvents.h"

class QDBusPendingCallWatcher;

// The body for a ringing call (name in code page 932): see CCallNotifier.
QString NotificationBody(const std::string& nameCp932, const std::string& number);
// `&`, `<` and `>` as a service that reads markup shows them.
QString EscapeMarkup(const QString& text);

class CCallNotifier : public QObject, public CallEventSink {
    Q_OBJECT

public:
    explicit CCallNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                           QObject* parent = nullptr);
    ~CCallNotifier() override;

    // From any thread (the link thread): handed to this object's thread.
    void OnCallEvent(const CallEvent& event) override;
    // On this object's thread.
    void Handle(const CallEvent& event);

signals:
    // A call has ended (after the recorder, when it is given the events
    // first, has written it): the missed-call count may have changed.
    void CallEnded();

private:
    enum class Next { None, Replace, Withdraw };

    void ShowRinging(const CallEvent& event);
    void ShowAnswered();
    void Withdraw();
    void SendClose(quint32 id);
    void OnNotifyReply(QDBusPendingCallWatcher* watcher, quint64 call);
    // Sends Notify; the reply (the notification's id) comes to OnNotifyReply.
    void SendNotify(quint32 replacesId, const QString& body, unsigned char urgency);
    void AskCapabilities();

    // A notification held back until the service's capabilities are known.
    struct Waiting {
        quint32 replacesId;
        QString body;
        unsigned char urgency;
    };

    QDBusConnection m_bus;
    quint64 m_call = 0;                          // counts the calls, so late replies find their own
    quint32 m_id = 0;                            // the notification on show, 0 for none
    bool m_awaitingId = false;                   // Notify sent, its id not back yet
    Next m_next = Next::None;                    // what to do once the id is back
    QString m_body;                              // name (or "Not Notified") and number, unescaped
    std::optional<QDBusPendingCall> m_inFlight;  // the Notify whose id is awaited
    std::optional<Waiting> m_waiting;
    bool m_capabilitiesKnown = false;
    bool m_askingCapabilities = false;
    bool m_markup = false;  // the service reads markup in the body
};
