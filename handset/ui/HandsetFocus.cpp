// The handset without a mouse: a focus ring that Tab, Shift+Tab and the
// arrow keys move over the skin's buttons, Space and Return pressing the one
// it is on, the Menu key and Shift+F10 for the right-click menu, and a short
// pressed state on every button pressed from the keyboard.

#include <QKeyEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <span>
#include <vector>

#include "handset/SkinOrder.h"
#include "handset/ui/HandsetAccessible.h"
#include "handset/ui/HandsetDlg.h"

namespace {

QRect Area(const SkinRect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

bool IsButton(int index) {
    return index >= 0 && index < SKIN_BUTTON_COUNT;
}

}  // namespace

void CHandsetDlg::PressButton(int index) {
    if (!IsButton(index)) return;
    ShowPressed(index);
    OnButton(index);
}

void CHandsetDlg::ShowPressed(int button) {
    if (!IsButton(button) || !SkinRectPresent(m_rcButton[button])) return;
    if (!m_pPressedTimer) {
        m_pPressedTimer = new QTimer(this);
        m_pPressedTimer->setSingleShot(true);
        connect(m_pPressedTimer, &QTimer::timeout, this, [this] {
            if (IsButton(m_nPressedButton)) update(Area(m_rcButton[m_nPressedButton]));
            m_nPressedButton = NO_BUTTON;
        });
    }
    if (IsButton(m_nPressedButton)) update(Area(m_rcButton[m_nPressedButton]));
    m_nPressedButton = button;
    update(Area(m_rcButton[button]));
    m_pPressedTimer->start(kPressedShownMs);
}

void CHandsetDlg::MoveFocusTo(int button) {
    if (!IsButton(button)) return;
    if (IsButton(m_nFocusButton)) update(Area(m_rcButton[m_nFocusButton]));
    m_nFocusButton = button;
    update(Area(m_rcButton[button]));
    ReportSkinFocus(*this, button);
}

bool CHandsetDlg::FocusKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if ((key == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
        (key == Qt::Key_F10 && modifiers == Qt::ShiftModifier)) {
        // At the focused button, else in the middle of the window; the
        // session is asked first, as for a right click.
        const QPoint at =
            IsButton(m_nFocusButton) ? Area(m_rcButton[m_nFocusButton]).center() : rect().center();
        OnRButtonDown(at);
        return true;
    }
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const std::span<const SkinRect> rects(m_rcButton);
    const auto move = [&](SkinDirection direction) {
        MoveFocusTo(NeighbourRect(rects, m_nFocusButton, direction));
        return true;
    };
    switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab: {
            // Round the buttons in the order they are drawn; the handset has
            // nothing else to take the focus.
            const std::vector<int> order = ReadingOrder(rects);
            if (order.empty()) return true;
            const bool forward = key == Qt::Key_Tab && !(modifiers & Qt::ShiftModifier);
            const auto at = std::find(order.begin(), order.end(), m_nFocusButton);
            int next;
            if (at == order.end())
                next = forward ? order.front() : order.back();
            else if (forward)
                next = at + 1 == order.end() ? order.front() : *(at + 1);
            else
                next = at == order.begin() ? order.back() : *(at - 1);
            MoveFocusTo(next);
            return true;
        }
        case Qt::Key_Left:
            return move(SkinDirection::Left);
        case Qt::Key_Right:
            return move(SkinDirection::Right);
        case Qt::Key_Up:
            return move(SkinDirection::Up);
        case Qt::Key_Down:
            return move(SkinDirection::Down);
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (IsButton(m_nFocusButton)) PressButton(m_nFocusButton);
            return true;
        default:
            return false;
    }
}

void CHandsetDlg::PaintFocusAndPressed(QPainter& painter) const {
    // Pressed: the key's pixels inverted, which shows on any skin.
    if (IsButton(m_nPressedButton)) {
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.fillRect(Area(m_rcButton[m_nPressedButton]), Qt::white);
        painter.restore();
    }
    // The ring: a dark line outside a light one, so that one of them shows
    // whatever the skin's colours.
    if (IsButton(m_nFocusButton) && hasFocus()) {
        const QRect area = Area(m_rcButton[m_nFocusButton]);
        if (area.width() < 2 || area.height() < 2) return;
        painter.save();
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        painter.setPen(QPen(Qt::white, 1));
        if (area.width() > 3 && area.height() > 3) painter.drawRect(area.adjusted(1, 1, -2, -2));
        painter.restore();
    }
}
