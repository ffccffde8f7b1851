#pragma once
// SIGTERM and SIGINT (a logout, kill, Ctrl+C in the terminal) delivered as a
// Qt signal from the event loop. The handler itself only writes the signal
// number into a pipe; a socket notifier on the pipe's reading end passes it on,
// so whatever follows runs as ordinary code, never inside the handler.

#include <QObject>

class QSocketNotifier;

class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // Puts the handlers that were there before back in place.
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the pipe could not be made or another instance already
    // watches: the signals then keep their previous handling.
    bool IsWatching() const { return m_notifier != nullptr; }

signals:
    void Received(int signalNumber);

private:
    void Drain();

    int m_readFd = -1;
    int m_writeFd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
