#include "handset/ui/HandsetAccessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QWindow>
#include <array>
#include <vector>

#include "common/ui/AddedTexts.h"
#include "handset/SkinOrder.h"
#include "handset/ui/HandsetDlg.h"

namespace {

// The keyboard keys that press skin button `index`.
QStringList SkinButtonKeys(int index) {
    switch (index) {
        case BTN_SEND:
            return {QStringLiteral("S"), QStringLiteral("Home")};
        case BTN_QUIT:
            return {QStringLiteral("Q"), QStringLiteral("End")};
        case BTN_CLEAR:
            return {QStringLiteral("Backspace")};
        case BTN_CALL:
            return {QStringLiteral("C")};
        default:
            return {SkinButtonName(index)};
    }
}

SkinRect ToSkinRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect ToQRect(const SkinRect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// The signal line shows up to four asterisks, or a word when there is none.
int SignalLevel(const QString& text) {
    return int(text.count(QLatin1Char('*')));
}

QString TextAreaDescription(const QString& objectName) {
    const int id = objectName.toInt();
    switch (id) {
        case IDC_ANTENNA:
            return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Signal"));
        case IDC_DISPLAY1:
            return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Status or clock"));
        case IDC_DISPLAY2:
            return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Caller"));
        case IDC_DISPLAY3:
            return AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Number"));
        default:
            return {};
    }
}

bool IsSkinTextArea(const QObject* object) {
    const auto* label = qobject_cast<const QLabel*>(object);
    if (!label || !qobject_cast<const CHandsetDlg*>(label->parent())) return false;
    return !TextAreaDescription(label->objectName()).isEmpty();
}

// One of the four text areas: static text named by what it shows, described
// by what it is for; the signal also as a level from 0 to 4.
class SkinTextAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit SkinTextAccessible(QLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        const auto* label = static_cast<const QLabel*>(widget());
        switch (t) {
            case QAccessible::Name:
                return label->text();
            case QAccessible::Description:
                return TextAreaDescription(label->objectName());
            default:
                return QAccessibleWidget::text(t);
        }
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface && IsSignal())
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QVariant currentValue() const override {
        return SignalLevel(static_cast<const QLabel*>(widget())->text());
    }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return 4; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    bool IsSignal() const { return widget()->objectName().toInt() == IDC_ANTENNA; }
};

class HandsetAccessible;

// A part of the handset that is no widget of its own: a skin button or the
// notification. It lives as long as the window's interface, which deletes it.
class HandsetPart : public QAccessibleInterface {
public:
    explicit HandsetPart(const HandsetAccessible* owner) : m_owner(owner) {}

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}

protected:
    CHandsetDlg* Dialog() const;
    // `area` (window pixels) on the screen.
    QRect OnScreen(const QRect& area) const;

    const HandsetAccessible* m_owner;
};

class SkinButtonAccessible : public HandsetPart, public QAccessibleActionInterface {
public:
    SkinButtonAccessible(const HandsetAccessible* owner, int index)
        : HandsetPart(owner), m_index(index) {}

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? SkinButtonName(m_index) : QString();
    }
    QRect rect() const override {
        const CHandsetDlg* dialog = Dialog();
        return dialog ? OnScreen(ToQRect(dialog->ButtonRect(m_index))) : QRect();
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override {
        QAccessible::State s;
        const CHandsetDlg* dialog = Dialog();
        s.focusable = true;
        if (!dialog || !dialog->isVisible() || dialog->isMinimized()) s.invisible = true;
        if (dialog && dialog->FocusedButton() == m_index) s.focused = dialog->hasFocus();
        if (dialog && dialog->PressedButton() == m_index) s.pressed = true;
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action != pressAction()) return;
        if (CHandsetDlg* dialog = Dialog()) dialog->PressButton(m_index);
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        if (action != pressAction()) return {};
        return SkinButtonKeys(m_index);
    }

private:
    const int m_index;
};

// Says what happens with a call: a notification named with the text, shown
// each time it has something new to say.
class NotificationAccessible : public HandsetPart {
public:
    using HandsetPart::HandsetPart;

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? m_text : QString();
    }
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invisible = !m_shown;
        s.focusable = true;
        s.focused = m_focused;
        s.readOnly = true;
        return s;
    }

    QString m_text;
    bool m_shown = false;
    bool m_focused = false;
};

class HandsetAccessible : public QAccessibleWidget {
public:
    explicit HandsetAccessible(CHandsetDlg* dialog)
        : QAccessibleWidget(dialog, QAccessible::Dialog) {
        for (int i = 0; i < SKIN_BUTTON_COUNT; ++i) {
            m_buttons[size_t(i)] = new SkinButtonAccessible(this, i);
            QAccessible::registerAccessibleInterface(m_buttons[size_t(i)]);
        }
        m_notification = new NotificationAccessible(this);
        QAccessible::registerAccessibleInterface(m_notification);
    }
    ~HandsetAccessible() override {
        for (QAccessibleInterface* part : m_buttons)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(part));
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(m_notification));
    }

    CHandsetDlg* Dialog() const { return qobject_cast<CHandsetDlg*>(object()); }

    // The window keeps its title as its name while minimised.
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            if (const CHandsetDlg* dialog = Dialog()) return dialog->windowTitle();
        }
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return int(Children().size()); }
    QAccessibleInterface* child(int index) const override {
        const std::vector<QAccessibleInterface*> children = Children();
        return index >= 0 && size_t(index) < children.size() ? children[size_t(index)] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const std::vector<QAccessibleInterface*> children = Children();
        for (size_t i = 0; i < children.size(); ++i)
            if (children[i] == child) return int(i);
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const CHandsetDlg* dialog = Dialog();
        if (!dialog) return nullptr;
        const QPoint client = dialog->mapFromGlobal(QPoint(x, y));
        const int button = dialog->ButtonFromPoint(client);
        if (button != NO_BUTTON) return m_buttons[size_t(button)];
        for (QLabel* label : TextAreas())
            if (label->geometry().contains(client))
                return QAccessible::queryAccessibleInterface(label);
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const CHandsetDlg* dialog = Dialog();
        if (!dialog) return nullptr;
        const int focused = dialog->FocusedButton();
        if (m_notification->m_focused) return m_notification;
        if (focused != NO_BUTTON && dialog->hasFocus()) return m_buttons[size_t(focused)];
        return nullptr;
    }

    // Each way of saying it is heard once: readers speak both a showing
    // and a focus, so only one of them is sent.
    void Announce(const QString& text) {
        CHandsetDlg* dialog = Dialog();
        if (!dialog) return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        // Readers that take announcements need nothing more; the focus is
        // left where the user put it.
        m_notification->m_text = text;
        m_notification->m_shown = true;
        QAccessibleAnnouncementEvent announcement(dialog, text);
        announcement.setPoliteness(QAccessible::AnnouncementPoliteness::Assertive);
        QAccessible::updateAccessibility(&announcement);
#else
        if (dialog->isActiveWindow() && !m_notification->m_focused) {
            // Where the window is active, readers say what takes the focus
            // (not what keeps it).
            m_notification->m_text = text;
            m_notification->m_shown = true;
            m_notification->m_focused = true;
            QAccessibleEvent focus(m_notification, QAccessible::Focus);
            QAccessible::updateAccessibility(&focus);
            return;
        }
        // Otherwise they say a notification that shows; hidden first, so
        // that every showing is new. A name change is said of what has the
        // focus only, so it tells the others' caches alone.
        // Hiding what has the focus would send the reader to the window.
        if (m_notification->m_shown && !m_notification->m_focused) {
            m_notification->m_shown = false;
            QAccessibleEvent hidden(m_notification, QAccessible::ObjectHide);
            QAccessible::updateAccessibility(&hidden);
        }
        m_notification->m_text = text;
        if (!m_notification->m_focused) {
            QAccessibleEvent renamed(m_notification, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&renamed);
        }
        m_notification->m_shown = true;
        QAccessibleEvent shown(m_notification, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
#endif
    }

    void FocusMoved(int button) {
        m_notification->m_focused = false;
        if (button < 0 || button >= SKIN_BUTTON_COUNT) return;
        QAccessibleEvent focus(m_buttons[size_t(button)], QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }

    // The display's area, where the notification's text also shows.
    QRect DisplayArea() const {
        QRect area;
        for (QLabel* label : TextAreas())
            if (label->objectName().toInt() != IDC_ANTENNA) area = area.united(label->geometry());
        return area;
    }

private:
    // The text areas that the window shows, in the order they are drawn.
    std::vector<QLabel*> TextAreas() const {
        std::vector<QLabel*> shown;
        const CHandsetDlg* dialog = Dialog();
        if (!dialog) return shown;
        std::vector<QLabel*> labels;
        std::vector<SkinRect> rects;
        for (QLabel* label : dialog->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
            if (label->isHidden()) continue;
            labels.push_back(label);
            rects.push_back(ToSkinRect(label->geometry()));
        }
        for (int i : ReadingOrder(rects)) shown.push_back(labels[size_t(i)]);
        return shown;
    }

    std::vector<QAccessibleInterface*> Children() const {
        std::vector<QAccessibleInterface*> children;
        const CHandsetDlg* dialog = Dialog();
        if (!dialog) return children;
        for (QLabel* label : TextAreas())
            if (QAccessibleInterface* text = QAccessible::queryAccessibleInterface(label))
                children.push_back(text);
        std::array<SkinRect, SKIN_BUTTON_COUNT> rects;
        for (int i = 0; i < SKIN_BUTTON_COUNT; ++i) rects[size_t(i)] = dialog->ButtonRect(i);
        for (int i : ReadingOrder(rects)) children.push_back(m_buttons[size_t(i)]);
        children.push_back(m_notification);
        return children;
    }

    std::array<SkinButtonAccessible*, SKIN_BUTTON_COUNT> m_buttons{};
    NotificationAccessible* m_notification = nullptr;
};

bool HandsetPart::isValid() const {
    return Dialog() != nullptr;
}
QWindow* HandsetPart::window() const {
    return m_owner->window();
}
QAccessibleInterface* HandsetPart::parent() const {
    return const_cast<HandsetAccessible*>(m_owner);
}
CHandsetDlg* HandsetPart::Dialog() const {
    return m_owner->Dialog();
}
QRect HandsetPart::OnScreen(const QRect& area) const {
    const CHandsetDlg* dialog = Dialog();
    if (!dialog || area.isEmpty()) return {};
    return QRect(dialog->mapToGlobal(area.topLeft()), area.size());
}
QRect NotificationAccessible::rect() const {
    return OnScreen(m_owner->DisplayArea());
}

QAccessibleInterface* HandsetFactory(const QString&, QObject* object) {
    if (auto* dialog = qobject_cast<CHandsetDlg*>(object)) return new HandsetAccessible(dialog);
    if (IsSkinTextArea(object)) return new SkinTextAccessible(static_cast<QLabel*>(object));
    return nullptr;
}

HandsetAccessible* InterfaceOf(CHandsetDlg& dialog) {
    return dynamic_cast<HandsetAccessible*>(QAccessible::queryAccessibleInterface(&dialog));
}

}  // namespace

void InstallHandsetAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(HandsetFactory);
        return true;
    }();
    (void)installed;
}

QString SkinButtonName(int index) {
    if (index >= BTN_0 && index <= BTN_9) return QString::number(index);
    switch (index) {
        case BTN_AS:
            return QStringLiteral("*");
        case BTN_SH:
            return QStringLiteral("#");
        case BTN_SEND:
            return QStringLiteral("送信 (S, Home)");
        case BTN_QUIT:
            return QStringLiteral("終話 (Q, End)");
        case BTN_CLEAR:
            return QStringLiteral("クリア");
        case BTN_CALL:
            return QStringLiteral("電話帳 (C)");
        default:
            return {};
    }
}

void AnnounceFromHandset(CHandsetDlg& dialog, const QString& text) {
    if (HandsetAccessible* handset = InterfaceOf(dialog)) handset->Announce(text);
}

void ReportSkinFocus(CHandsetDlg& dialog, int button) {
    if (HandsetAccessible* handset = InterfaceOf(dialog)) handset->FocusMoved(button);
}
