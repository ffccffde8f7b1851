#include "common/ui/DialogFrames.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QWindow>

namespace {

class DialogFrames final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* dialog = qobject_cast<QDialog*>(watched);
            if (dialog && dialog->isWindow()) FitFrame(*dialog);
        }
        return false;
    }

private:
    static void FitFrame(QDialog& dialog) {
        const Qt::WindowFlags flags = dialog.windowFlags();
        // Frameless windows and those that chose their buttons keep them.
        if (flags & (Qt::FramelessWindowHint | Qt::CustomizeWindowHint)) return;
        if (dialog.minimumSize() != dialog.maximumSize()) return;
        const Qt::WindowFlags fixed =
            (flags & ~(Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint |
                       Qt::WindowFullscreenButtonHint)) |
            Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
            Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
        // The flags go to the native window made for this showing: setting
        // them on the widget would make a new one and hide the dialog.
        dialog.overrideWindowFlags(fixed);
        if (QWindow* native = dialog.windowHandle()) native->setFlags(fixed);
    }
};

}  // namespace

void InstallDialogFrames(QApplication& application) {
    application.installEventFilter(new DialogFrames(&application));
}
