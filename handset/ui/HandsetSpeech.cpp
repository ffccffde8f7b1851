#include "handset/ui/HandsetSpeech.h"

#include <QStringList>
#include <utility>

#include "common/ui/AddedTexts.h"
#include "platform/Cp932.h"

namespace {

QString LineText(const std::string& cp932) {
    return QString::fromStdString(Cp932ToUtf8(cp932)).trimmed();
}

QString Joined(const QStringList& parts) {
    QStringList said;
    for (const QString& part : parts)
        if (!part.isEmpty()) said << part;
    return said.join(QLatin1Char(' '));
}

}  // namespace

CHandsetSpeech::CHandsetSpeech(Voice voice, QObject* window)
    : m_voice(std::move(voice)), m_window(window) {}

void CHandsetSpeech::OnCallEvent(const CallEvent& event) {
    QMetaObject::invokeMethod(
        m_window,
        [speech = QPointer<CHandsetSpeech>(this), event] {
            if (speech) speech->Handle(event);
        },
        Qt::QueuedConnection);
}

void CHandsetSpeech::Handle(const CallEvent& event) {
    switch (event.kind) {
        case CallEventKind::Incoming:
            // As the window shows it: the phone book's name, or that the
            // number was withheld, and the number.
            m_ringing = true;
            m_caller = Joined(
                {event.number.empty() ? QStringLiteral("Not Notified") : LineText(event.name),
                 QString::fromStdString(event.number)});
            m_voice(Joined({QStringLiteral("Receiving..."), m_caller}));
            break;
        case CallEventKind::Answered:
        case CallEventKind::Resumed:
            m_ringing = false;
            m_voice(QStringLiteral("On Line"));
            break;
        case CallEventKind::Held:
            m_ringing = false;
            m_voice(QStringLiteral("Holding"));
            break;
        case CallEventKind::Ended:
            if (m_ringing) {
                m_ringing = false;
                m_voice(Joined({AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Missed call")), m_caller}));
            } else if (event.charge != ChargeKind::None) {
                m_chargeAwaited = true;
            } else {
                m_voice(AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Call ended")));
            }
            break;
        case CallEventKind::OutgoingFromHandset:
        case CallEventKind::OutgoingFromPhone:
            m_ringing = false;
            break;
    }
}

void CHandsetSpeech::Shown(const HandsetSnapshot& snapshot) {
    // The charge is on the number line once the window shows the idle state.
    if (!m_chargeAwaited || snapshot.callState != CALL_IDLE) return;
    m_chargeAwaited = false;
    m_voice(Joined(
        {AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Call ended")), LineText(snapshot.display3)}));
}
