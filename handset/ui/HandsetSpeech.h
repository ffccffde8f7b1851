#pragma once
// What the handset says about a call, for those who do not see the window:
// the caller as the window shows it when the phone rings, then briefly the
// answer, the hold, the end with its charge, or the missed call. It hears
// the session's call events (on the link thread) and the window's shown
// snapshots (on the window's thread, for the charge), and speaks on the window's thread.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "handset/CallEvents.h"
#include "handset/HandsetView.h"

class CHandsetSpeech : public QObject, public CallEventSink {
    Q_OBJECT

public:
    using Voice = std::function<void(const QString& text)>;
    // The events go through `window`'s queue, in order with its snapshots.
    CHandsetSpeech(Voice voice, QObject* window);

    // From the link thread: handed to the window's thread.
    void OnCallEvent(const CallEvent& event) override;
    // On this object's thread.
    void Handle(const CallEvent& event);
    // The window shows `snapshot`: what waited for the window's texts is said.
    void Shown(const HandsetSnapshot& snapshot);

private:
    Voice m_voice;
    QObject* m_window;
    // A call ended with a charge, which the window has not shown yet.
    bool m_chargeAwaited = false;
    bool m_ringing = false;
    // The caller as the ring showed it: name and number.
    QString m_caller;
};
