// What the handset window does where the desktop places and raises windows
// itself (Wayland): the compositor drags the window, and an incoming call asks
// for the user's attention instead of raising the window.

#include <QApplication>
#include <QWindow>

#include "app/ui/DesktopAbilities.h"
#include "handset/ui/HandsetDlg.h"

void CHandsetDlg::StartSystemDrag() {
    if (CurrentDesktop().placesWindows) return;
    QWindow* native = windowHandle();
    // The compositor moves the window with the pointer until the button is
    // released, and takes the pointer meanwhile: the window's own drag ends
    // here. Where it refuses, the window's steps go on as a last resort.
    if (!native || !native->startSystemMove()) return;
    m_nDragFlags = 0;
    ReleaseDrag();
}

void CHandsetDlg::AskForAttention() {
    if (CurrentDesktop().placesWindows) return;
    // Activation is granted only after a recent input of the user; the
    // taskbar's attention and the desktop notification work without one.
    if (QWindow* native = windowHandle()) native->requestActivate();
    QApplication::alert(this);
}
