#pragma once
// Ends the program on SIGTERM, SIGINT or SIGHUP as its quit command (終了) does: the
// handset window gets command ID_APP_EXIT_OK, so the port and the log are
// closed and the profile is written, and the program ends with status 0.
// A dialog or menu open in front of the window would hold the window's run
// up until the user closed it; each is closed first (the settings dialog as by
// its own 終了 button), and so is any the program opens on its way out.

#include <QObject>
#include <QTimer>

#include "app/ui/TerminationSignals.h"

class CHandsetApp;

class SignalQuit : public QObject {
    Q_OBJECT

public:
    explicit SignalQuit(CHandsetApp& app);

    bool IsWatching() const { return m_signals.IsWatching(); }
    bool IsQuitting() const { return m_bQuitting; }

    // What a signal does; also callable directly.
    void Quit();

private:
    // Closes the menus and modal dialogs in front of the handset window and,
    // once there is a window, hands it the quit command.
    void Sweep();

    CHandsetApp& m_app;
    TerminationSignals m_signals;
    QTimer m_sweep;
    bool m_bQuitting = false;
    int m_nAsked = 0;
    int m_nSent = 0;
};
