#include "app/ui/SignalQuit.h"

#include <QApplication>
#include <QDialog>

#include "app/ui/HandsetApp.h"
#include "common/ui/SettingsDlg.h"
#include "handset/MenuCommands.h"
#include "handset/ui/HandsetDlg.h"

namespace {

// How often the sweep looks again for a dialog opened on the way out.
constexpr int kSweepIntervalMs = 20;

void CloseModal(QWidget* modal) {
    if (auto* settings = qobject_cast<CSettingsDlg*>(modal)) {
        // Its 終了 button: the reconnection loop behind it ends the program
        // instead of asking for another port.
        settings->done(CSettingsDlg::IDQUIT);
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
    } else {
        modal->close();
    }
}

}  // namespace

SignalQuit::SignalQuit(CHandsetApp& app) : m_app(app) {
    connect(&m_signals, &TerminationSignals::Received, this, &SignalQuit::Quit);
    m_sweep.setInterval(kSweepIntervalMs);
    connect(&m_sweep, &QTimer::timeout, this, &SignalQuit::Sweep);
}

void SignalQuit::Quit() {
    m_bQuitting = true;
    ++m_nAsked;
    Sweep();
    m_sweep.start();
}

void SignalQuit::Sweep() {
    while (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        if (QApplication::activePopupWidget() == popup) break;
    }
    CHandsetDlg* window = m_app.m_pMainWnd;
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal == window) break;
        CloseModal(modal);
        // A dialog that refuses to close is left for the next sweep.
        if (QApplication::activeModalWidget() == modal) break;
    }
    // One quit command per signal: a second one while the link still runs
    // what was queued cuts that short.
    while (window && m_nSent < m_nAsked) {
        ++m_nSent;
        window->OnCommand(ID_APP_EXIT_OK);
    }
}
