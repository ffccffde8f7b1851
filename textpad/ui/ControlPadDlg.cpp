#include "textpad/ui/ControlPadDlg.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "common/ui/AddedTexts.h"
#include "common/ui/DesktopAbilities.h"
#include "common/ui/Profile.h"
#include "link/PhoneKeys.h"
#include "link/PhoneLink.h"
#include "platform/Cp932.h"
#include "textpad/TextUnits.h"
#include "textpad/ui/PadKeys.h"
#include "textpad/ui/PadLayout.h"

namespace {

// The font the template names, and the faces that stand in for it here.
constexpr char kPadFontFamily[] = "ＭＳ Ｐゴシック";
constexpr int kPadFontPoints = 9;

QFont PadFont() {
    static const bool substituted = [] {
        QFont::insertSubstitutions(QString::fromUtf8(kPadFontFamily),
                                   {"IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "VL PGothic"});
        return true;
    }();
    (void)substituted;
    QFont font(QString::fromUtf8(kPadFontFamily), kPadFontPoints);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// Dialog units to pixels, as the dialog manager converts them: the base
// units are the font's average letter width and its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        const int letters = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        m_baseX = std::max(1, (letters / 26 + 1) / 2);
        m_baseY = std::max(1, metrics.height());
    }
    int X(int units) const { return MulDiv(units, m_baseX, 4); }
    int Y(int units) const { return MulDiv(units, m_baseY, 8); }
    QRect Rect(const PadControl& c) const {
        return QRect(X(c.x), Y(c.y), X(c.x + c.width) - X(c.x), Y(c.y + c.height) - Y(c.y));
    }

private:
    // a * b / c rounded to the nearest integer.
    static int MulDiv(int a, int b, int c) { return (a * b * 2 + c) / (c * 2); }
    int m_baseX;
    int m_baseY;
};

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

bool ShiftHeldNow() {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

}  // namespace

CControlPadDlg::CControlPadDlg(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("外部制御パッド - Telvoxa"));
    setFont(PadFont());
    setSizeGripEnabled(false);

    // Flat buttons still show their outline, as a flat push button of the
    // dialog template does.
    setStyleSheet(
        QStringLiteral("QPushButton { border: 1px solid palette(dark); background: palette(button);"
                       " padding: 0px; }"
                       "QPushButton:default { border: 2px solid palette(shadow); }"
                       "QPushButton:pressed { background: palette(mid); }"
                       "QPushButton:focus { border: 1px dotted palette(shadow); }"));

    const DialogUnits units(font());
    QLabel* fieldLabel = nullptr;
    QWidget* previous = nullptr;
    for (const PadControl& c : kPadControls) {
        QWidget* widget = nullptr;
        const QString text = Utf8(c.text);
        switch (c.kind) {
            case PadControl::Static: {
                auto* label = new QLabel(text, this);
                label->setWordWrap(c.height > 8);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                if (!fieldLabel) fieldLabel = label;
                widget = label;
                break;
            }
            case PadControl::Edit:
                m_edit = new QLineEdit(this);
                widget = m_edit;
                break;
            case PadControl::Button: {
                auto* button = new QPushButton(text, this);
                button->setFlat(true);
                button->setAutoDefault(false);
                button->setFocusPolicy(Qt::StrongFocus);
                widget = button;
                break;
            }
        }
        widget->setObjectName(QString::number(c.id));
        widget->setGeometry(units.Rect(c));
        if (previous && widget->focusPolicy() != Qt::NoFocus) setTabOrder(previous, widget);
        if (widget->focusPolicy() != Qt::NoFocus) previous = widget;
    }
    if (fieldLabel) fieldLabel->setBuddy(m_edit);

    for (const PadButton& b : kPadButtons) {
        auto* button = findChild<QPushButton*>(QString::number(b.id));
        button->setToolTip(Utf8(b.tooltip));
        const std::string_view keyName = b.keyName;
        connect(button, &QPushButton::clicked, this,
                [this, keyName] { OnKey(keyName, ShiftHeldNow()); });
    }
    findChild<QPushButton*>(QString::number(kDefaultButtonId))->setDefault(true);
    // The telephone buttons show only their pictures.
    findChild<QPushButton*>(QStringLiteral("1050"))
        ->setAccessibleName(AddedText(QT_TRANSLATE_NOOP("Telvoxa", "Off hook")));
    findChild<QPushButton*>(QStringLiteral("1051"))
        ->setAccessibleName(AddedText(QT_TRANSLATE_NOOP("Telvoxa", "On hook")));
    connect(m_edit, &QLineEdit::textChanged, this, &CControlPadDlg::OnTextChanged);

    // The keyboard table sees every key before the control that has the focus.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);

    setFixedSize(units.X(kPadWidth), units.Y(kPadHeight));
    OnInitDialog();
}

CControlPadDlg::~CControlPadDlg() = default;

void CControlPadDlg::OnInitDialog() {
    for (const PadIcon& icon : kPadIcons) {
        auto* button = findChild<QPushButton*>(QString::number(icon.buttonId));
        const QIcon image(Utf8(icon.resource));
        if (image.availableSizes().isEmpty()) continue;
        const QSize natural = image.availableSizes().front();
        button->setIcon(image);
        button->setIconSize(
            natural.scaled(button->size() - QSize(4, 4), Qt::KeepAspectRatio).boundedTo(natural));
    }
    RestorePosition();
    m_edit->setFocus();
}

void CControlPadDlg::RestorePosition() {
    // Where the desktop places windows itself the stored position cannot be
    // applied; it stays as it is for a desktop that can.
    if (!CurrentDesktop().placesWindows) return;
    QPoint pos(Profile::GetProfileInt("pad", "pos_x", 0),
               Profile::GetProfileInt("pad", "pos_y", 0));
    // A position stored for a screen that is gone would leave the pad out of
    // reach: bring it back onto the primary screen. Any other is used as read.
    const QRect wanted(pos, size());
    const auto screens = QGuiApplication::screens();
    const bool onAScreen = std::any_of(screens.begin(), screens.end(), [&](const QScreen* s) {
        return s->geometry().intersects(wanted);
    });
    if (!onAScreen && QGuiApplication::primaryScreen()) {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        pos.setX(
            std::clamp(pos.x(), area.left(), std::max(area.left(), area.right() - width() + 1)));
        pos.setY(
            std::clamp(pos.y(), area.top(), std::max(area.top(), area.bottom() - height() + 1)));
    }
    move(pos);
}

void CControlPadDlg::DestroyWindow() {
    if (m_destroyed) return;
    m_destroyed = true;
    // A position read back where the desktop places windows is not where the
    // pad was, and would spoil the stored one.
    if (CurrentDesktop().placesWindows) {
        const QPoint pos = NormalFramePosition();
        Profile::WriteProfileInt("pad", "pos_x", pos.x());
        Profile::WriteProfileInt("pad", "pos_y", pos.y());
    }
    hide();
    emit Closed();
    deleteLater();
}

bool CControlPadDlg::IsNormalState() const {
    return !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

QPoint CControlPadDlg::NormalFramePosition() const {
    if (IsNormalState()) return pos();
    // normalGeometry() is the client area's: step out by the frame around it.
    const QPoint frameInset = geometry().topLeft() - frameGeometry().topLeft();
    return normalGeometry().topLeft() - frameInset;
}

void CControlPadDlg::closeEvent(QCloseEvent* event) {
    // Closed by the window system (the pad has no close box, but a window
    // manager may still ask): the same as Cancel. A close from inside the
    // program as it shuts down saves nothing, like the owner's destruction.
    if (event->spontaneous()) OnCancel();
    event->accept();
}

void CControlPadDlg::OnKey(std::string_view keyName, bool shift) {
    std::string text(keyName);
    if (shift) text += CONTROL_PUSH_LONG;
    if (m_sendKey) m_sendKey(text);
    // A click hands the typing back to the field; a button pressed from the
    // keyboard keeps the focus, so that the next one is a Tab away.
    if (!m_bKeyboardPress) m_edit->setFocus();
}

void CControlPadDlg::OnTextChanged() {
    m_text = Utf8ToCp932(m_edit->text().toStdString());
    SplitVoicedKana(m_text);
    for (const TextUnit& unit : CutTextUnits(m_text)) {
        if (m_sendKey) m_sendKey(std::string(unit));
    }
    m_text.clear();
    m_edit->setFocus();
    // Emptying the field raises one more change, which finds nothing to send;
    // an already empty field raises none.
    m_edit->setText(QString::fromStdString(Cp932ToUtf8(m_text)));
}

bool CControlPadDlg::PreTranslateKey(const QKeyEvent& key, bool act) {
    const PadKeyAction action = DecodePadKey(key.key(), key.modifiers());
    switch (action.kind) {
        case PadKeyAction::NotPadKey:
            return false;
        case PadKeyAction::Ignore:
            break;
        case PadKeyAction::Close:
            if (act) OnCancel();
            break;
        case PadKeyAction::Press:
            if (act) OnKey(action.button->keyName, action.longPress);
            break;
    }
    return true;
}

bool CControlPadDlg::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Keep the pad's keys from being taken as shortcuts anywhere.
            if (!m_destroyed && PreTranslateKey(*static_cast<QKeyEvent*>(event), false)) {
                event->accept();
                return true;
            }
            break;
        case QEvent::KeyPress:
            m_bKeyboardPress = true;
            if (!m_destroyed && PreTranslateKey(*static_cast<QKeyEvent*>(event), true)) return true;
            break;
        case QEvent::MouseButtonPress:
            m_bKeyboardPress = false;
            break;
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}
