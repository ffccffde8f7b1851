#include "app/ui/TerminationSignals.h"

#include <QSocketNotifier>

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (!m_requests.IsWatching()) return;
    m_notifier = new QSocketNotifier(static_cast<qintptr>(m_requests.WakeObject()),
                                     QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::Drain);
}

TerminationSignals::~TerminationSignals() {
    delete m_notifier;
}

bool TerminationSignals::IsHandled(int signalNumber) {
    return TerminationRequests::IsHandled(signalNumber);
}

void TerminationSignals::Drain() {
    for (const int signalNumber : m_requests.Take()) emit Received(signalNumber);
}
