#pragma once
// SIGTERM, SIGINT and SIGHUP (a logout, kill, Ctrl+C or the closing of the
// terminal) delivered as a Qt signal from the event loop. The handler itself
// only writes the signal number into a pipe; a socket notifier on the pipe's
// reading end passes it on, so whatever follows runs as ordinary code, never
// inside the handler. A signal ignored when the program started stays
// ignored. The first signal begins the ending; another one ends the process
// at once, by that signal, when the ending has run for 7 s, or when it has
// run 7 s if it comes sooner (a stuck ending is never waited for forever;
// the window's own ending is bounded well within that).

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
    // Whether this signal is handled here (false for one ignored at start).
    static bool IsHandled(int signalNumber);

signals:
    void Received(int signalNumber);

private:
    void Drain();

    int m_readFd = -1;
    int m_writeFd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
