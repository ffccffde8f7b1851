// The handset window's mouse and keys: the skin buttons and keyboard
// shortcuts, which become the session's inputs, the cursors and the window
// drag, which never wait for the phone.

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>

#include "handset/ui/HandsetDlg.h"

namespace {

QCursor LoadCursor(const char* resource, int hotX, int hotY, Qt::CursorShape fallback) {
    const QPixmap image(QString::fromLatin1(resource));
    if (image.isNull()) return QCursor(fallback);
    return QCursor(image, hotX, hotY);
}

}  // namespace

int CHandsetDlg::ButtonFromPoint(const QPoint& clientPos) const {
    return HitTestButton(m_rcButton, SKIN_BUTTON_COUNT, clientPos.x(), clientPos.y());
}

void CHandsetDlg::SetCursorFor(const QPoint& clientPos) {
    if (!m_bCursorsLoaded) {
        m_curArrow = LoadCursor(":/cursors/104.png", 1, 1, Qt::ArrowCursor);
        m_curHand = LoadCursor(":/cursors/133.png", 0, 0, Qt::PointingHandCursor);
        m_bCursorsLoaded = true;
    }
    const int kind = ButtonFromPoint(clientPos) != NO_BUTTON ? 1 : 0;
    // Setting the same cursor on every move would only cost the platform work.
    if (kind == m_nCursorKind) return;
    m_nCursorKind = kind;
    setCursor(kind ? m_curHand : m_curArrow);
}

// --- mouse ---

void CHandsetDlg::mousePressEvent(QMouseEvent* event) {
    // The skin is the whole top-level window: its position in the window is
    // the unrounded one (see SkinPixel).
    const QPoint client = SkinPixel(event->scenePosition());
    SetCursorFor(client);
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(client, SkinPixel(event->globalPosition()));
    else if (event->button() == Qt::RightButton)
        OnRButtonDown(client);
    event->accept();
}

void CHandsetDlg::mouseMoveEvent(QMouseEvent* event) {
    const QPoint client = SkinPixel(event->scenePosition());
    SetCursorFor(client);
    OnMouseMove(client, SkinPixel(event->globalPosition()),
                event->buttons().testFlag(Qt::LeftButton));
    event->accept();
}

void CHandsetDlg::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint client = SkinPixel(event->scenePosition());
    SetCursorFor(client);
    // A right button release does nothing more.
    if (event->button() == Qt::LeftButton) OnLButtonUp(client);
    event->accept();
}

void CHandsetDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double-click arrives here instead of as a press,
    // so the button's own action has run once, on the first press.
    const QPoint client = SkinPixel(event->scenePosition());
    SetCursorFor(client);
    if (event->button() == Qt::LeftButton) OnLButtonDblClk(client);
    event->accept();
}

void CHandsetDlg::OnLButtonDown(const QPoint& clientPos, const QPoint& screenPos) {
    CaptureMouse();
    m_nDragFlags |= 1;
    m_ptDragLast = screenPos;
    // The action runs on the press, not on the release.
    const int button = ButtonFromPoint(clientPos);
    // Where the desktop places windows itself, a press beside the keys hands
    // the drag to it; a press on a key only acts.
    if (button != NO_BUTTON)
        OnButton(button);
    else
        StartSystemDrag();
}

void CHandsetDlg::OnLButtonUp(const QPoint&) {
    m_nDragFlags = 0;
    ReleaseDrag();
}

void CHandsetDlg::OnLButtonDblClk(const QPoint& clientPos) {
    m_nDragFlags |= 1;
    switch (ButtonFromPoint(clientPos)) {
        case NO_BUTTON:
            OnLButtonUp(clientPos);
            showMinimized();
            break;
        case BTN_QUIT:
            EndAsConfirmed();
            break;
        case BTN_CLEAR:
            Post([](HandsetSession& session) { session.OnClearAll(); });
            break;
        default:
            break;
    }
}

void CHandsetDlg::OnMouseMove(const QPoint&, const QPoint& screenPos, bool leftHeld) {
    if (leftHeld) CaptureMouse();
    if (m_nDragFlags & 1) DragStep(screenPos);
}

void CHandsetDlg::DragStep(const QPoint& screenPos) {
    const QPoint delta = screenPos - m_ptDragLast;
    // Small moves leave the window where it is, so a click may wobble.
    if (!DragMoves(delta.x(), delta.y())) return;
    m_ptDragLast = screenPos;
    move(pos() + delta);
    update();
}

void CHandsetDlg::ReleaseDrag() {
    if (QWidget::mouseGrabber() == this) releaseMouse();
}

void CHandsetDlg::DropDrag() {
    ReleaseDrag();
    m_nDragFlags = 0;
}

void CHandsetDlg::EndAsConfirmed() {
    ReleaseDrag();
    RequestEnd();
}

// --- keys ---

bool CHandsetDlg::event(QEvent* event) {
    // The keyboard table comes before anything else, shortcuts included.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsTableKey(*key)) {
            key->accept();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (PreTranslateKey(key)) return true;
        if (FocusKey(key)) {
            key->accept();
            return true;
        }
    } else if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        // The focus ring shows only while the window has the focus.
        update();
    }
    return QDialog::event(event);
}

void CHandsetDlg::keyPressEvent(QKeyEvent* event) {
    // Other keys go on as usual, without the dialog's own handling of Escape
    // and Enter.
    QWidget::keyPressEvent(event);
}

namespace {

// Alt turns keys into system keys, which the table does not cover; Control
// and Meta turn letters into control characters.
bool IsSystemKey(const QKeyEvent& key) {
    return key.modifiers().testFlag(Qt::AltModifier);
}

int TableCharacterButton(const QKeyEvent& key) {
    if (IsSystemKey(key) || key.modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return NO_BUTTON;
    const QString text = key.text();
    if (text.size() != 1 || text[0].unicode() > 0x7F) return NO_BUTTON;
    return ButtonForCharacter(static_cast<char>(text[0].unicode()));
}

bool IsTableKeyDown(int key) {
    switch (key) {
        case Qt::Key_Backspace:
        case Qt::Key_Escape:
        case Qt::Key_End:
        case Qt::Key_Home:
        case Qt::Key_Delete:
        case Qt::Key_F12:
        case Qt::Key_F1:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool CHandsetDlg::IsTableKey(const QKeyEvent& key) const {
    if (!IsSystemKey(key) && IsTableKeyDown(key.key())) return true;
    return TableCharacterButton(key) != NO_BUTTON;
}

bool CHandsetDlg::PreTranslateKey(QKeyEvent* event) {
    if (!IsSystemKey(*event) && IsTableKeyDown(event->key())) {
        switch (event->key()) {
            case Qt::Key_Backspace:
                ShowPressed(BTN_CLEAR);
                Post([](HandsetSession& session) { session.OnClearButton(); });
                break;
            case Qt::Key_Escape:
                EndAsConfirmed();
                break;
            case Qt::Key_End:
                ShowPressed(BTN_QUIT);
                Post([](HandsetSession& session) { session.OnQuitButton(); });
                break;
            case Qt::Key_Home:
                ShowPressed(BTN_SEND);
                Post([](HandsetSession& session) { session.OnSendButton(); });
                break;
            case Qt::Key_Delete:
                ShowPressed(BTN_CLEAR);
                Post([](HandsetSession& session) { session.OnClearAll(); });
                break;
            case Qt::Key_F12:
                TogglePad();
                break;
            case Qt::Key_F1:
                // The platform's help key: the read-me file.
                m_host.ShowHelp();
                break;
            default:
                break;
        }
        event->accept();
        return true;
    }
    const int button = TableCharacterButton(*event);
    if (button == NO_BUTTON) return false;
    PressButton(button);
    event->accept();
    return true;
}

// --- the buttons ---

void CHandsetDlg::OnButton(int index) {
    // The session decides whether the phone book opens; the drag ends there.
    Post([index](HandsetSession& session) { session.OnButton(index); });
}
