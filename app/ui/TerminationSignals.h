#pragma once
// SIGTERM, SIGINT and SIGHUP (a logout, kill, Ctrl+C or the closing of the
// terminal) delivered as a Qt signal from the event loop: a socket notifier
// on the requests' wake-up descriptor passes each on (platform/
// TerminationRequests.h has the rules), never inside the handler.

#include <QObject>

#include "platform/TerminationRequests.h"

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // Puts the handlers that were there before back in place.
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the handlers could not be set up or another instance
    // already watches: the signals then keep their previous handling.
    bool IsWatching() const { return m_notifier != nullptr; }
    // Whether this signal is handled here (false for one ignored at start).
    static bool IsHandled(int signalNumber);

signals:
    void Received(int signalNumber);

private:
    void Drain();

    TerminationRequests m_requests;
    QSocketNotifier* m_notifier = nullptr;
};
