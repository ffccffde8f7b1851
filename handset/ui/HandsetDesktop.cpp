// What the handset window does where the desktop places and raises windows
// itself (Wayland): the compositor drags the window, and an incoming call asks
// for the user's attention instead of raising the window.

#include <QApplication>
#include <QLoggingCategory>
#include <QWindow>

#include "common/ui/DesktopAbilities.h"
#include "handset/ui/HandsetDlg.h"

namespace {
Q_LOGGING_CATEGORY(lcDesktop, "telvoxa.desktop", QtWarningMsg)
}  // namespace

void CHandsetDlg::StartSystemDrag() {
    if (CurrentDesktop().placesWindows) return;
    QWindow* native = windowHandle();
    // The compositor moves the window with the pointer until the button is
    // released, and takes the pointer meanwhile: the window's own drag ends
    // here. Where it refuses, the window's steps go on as a last resort.
    if (!native || !native->startSystemMove()) {
        qCWarning(lcDesktop, "the desktop refused to drag the window");
        return;
    }
    qCDebug(lcDesktop, "the desktop drags the window");
    m_nDragFlags = 0;
    ReleaseDrag();
}

void CHandsetDlg::CaptureMouse() {
    // Wayland gives a window every move of a press that began on it, and
    // grabs only for pop-ups; asking there would only print a warning.
    if (!CurrentDesktop().placesWindows) return;
    if (QWidget::mouseGrabber() != this) grabMouse();
}

void CHandsetDlg::AskForAttention() {
    if (CurrentDesktop().placesWindows) return;
    // Activation is granted only after a recent input of the user; the
    // taskbar's attention and the desktop notification work without one.
    if (QWindow* native = windowHandle()) native->requestActivate();
    QApplication::alert(this);
}
