// The external control pad: what reaches the phone for each button, PC key
// and typed text, its template, and where it opens and what it remembers.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <memory>
#include <vector>

#include "common/ui/Profile.h"
#include "link/PhoneLink.h"
#include "support/FakeCommDevice.h"
#include "textpad/ui/ControlPadDlg.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes KeyMessage(uint8_t kind, uint8_t a, uint8_t b) {
    return {0xF2, 0x02, 0x01, 0x00, 0x00, kind, a, b};
}
Bytes Press(uint8_t group, uint8_t number) {
    return KeyMessage(3, group, number);
}
Bytes LongPress(uint8_t group, uint8_t number) {
    return KeyMessage(9, group, number);
}
Bytes Narrow(uint8_t row, uint8_t column) {
    return KeyMessage(1, row, column);
}
Bytes Wide(uint8_t row, uint8_t column) {
    return KeyMessage(2, row, column);
}

class ControlPadTest : public ::testing::Test {
protected:
    void SetUp() override {
        Profile::SetRegistryKey("Orvel Applications");
        Profile::WriteProfileInt("pad", "pos_x", 0);
        Profile::WriteProfileInt("pad", "pos_y", 0);
        auto device = std::make_unique<FakeCommDevice>();
        device->Open("COM1");
        m_device = device.get();
        m_link = std::make_unique<CPhoneLink>(std::move(device));
        m_owner = new QWidget;
        m_owner->resize(100, 100);
        m_owner->show();
    }

    void TearDown() override {
        delete m_owner;  // takes an open pad with it
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    CControlPadDlg* OpenPad() {
        auto* pad = new CControlPadDlg(m_owner);
        pad->m_sendKey = [this](const std::string& text) { m_link->SendKey(text); };
        pad->show();
        pad->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(pad));
        m_device->writes.clear();
        return pad;
    }

    // The messages written since the last call.
    std::vector<Bytes> Sent() {
        auto out = m_device->writes;
        m_device->writes.clear();
        return out;
    }

    static QLineEdit* Field(CControlPadDlg* pad) { return pad->findChild<QLineEdit*>("1026"); }
    static QPushButton* Button(CControlPadDlg* pad, int id) {
        return pad->findChild<QPushButton*>(QString::number(id));
    }
    static void SendKey(QWidget* to, int key, Qt::KeyboardModifiers modifiers = {},
                        bool autoRepeat = false) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
        QApplication::sendEvent(to, &press);
    }
    static void Commit(QWidget* to, const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(to, &event);
    }
    static QPoint SavedPosition() {
        return {Profile::GetProfileInt("pad", "pos_x", -1),
                Profile::GetProfileInt("pad", "pos_y", -1)};
    }

    FakeCommDevice* m_device = nullptr;
    std::unique_ptr<CPhoneLink> m_link;
    QWidget* m_owner = nullptr;
};

struct KeyRow {
    int id;
    uint8_t group, number;
    int qtKey;  // 0: reached only through the mnemonic
    Qt::KeyboardModifiers pcModifiers;
    const char* tooltip;
};

const KeyRow kKeys[] = {
    {1041, 1, 1, Qt::Key_Up, {}, "arrow ↑"},
    {1044, 1, 2, Qt::Key_Down, {}, "arrow ↓"},
    {1042, 1, 3, Qt::Key_Left, {}, "arrow ←"},
    {1043, 1, 4, Qt::Key_Right, {}, "arrow →"},
    {1045, 6, 1, Qt::Key_Control, {}, "Ctrl"},
    {1047, 6, 2, Qt::Key_Return, {}, "Enter"},
    {1049, 6, 3, Qt::Key_PageDown, {}, "PageDown"},
    {1048, 6, 4, Qt::Key_PageUp, {}, "PageUp"},
    {1046, 6, 5, Qt::Key_Insert, {}, "Insert"},
    {1052, 2, 1, Qt::Key_1, Qt::KeypadModifier, "numpad 1"},
    {1053, 2, 2, Qt::Key_2, Qt::KeypadModifier, "numpad 2"},
    {1054, 2, 3, Qt::Key_3, Qt::KeypadModifier, "numpad 3"},
    {1055, 2, 4, Qt::Key_4, Qt::KeypadModifier, "numpad 4"},
    {1056, 2, 5, Qt::Key_5, Qt::KeypadModifier, "numpad 5"},
    {1057, 2, 6, Qt::Key_6, Qt::KeypadModifier, "numpad 6"},
    {1058, 2, 7, Qt::Key_7, Qt::KeypadModifier, "numpad 7"},
    {1059, 2, 8, Qt::Key_8, Qt::KeypadModifier, "numpad 8"},
    {1060, 2, 9, Qt::Key_9, Qt::KeypadModifier, "numpad 9"},
    {1062, 2, 10, Qt::Key_0, Qt::KeypadModifier, "numpad 0"},
    {1063, 2, 12, 0, {}, "Alt + *"},
    {1061, 2, 11, 0, {}, "Alt + #"},
    {1051, 2, 13, Qt::Key_End, {}, "End"},
    {1050, 2, 14, Qt::Key_Home, {}, "Home"},
};

TEST_F(ControlPadTest, EachButtonPressesItsKeyAndShiftMakesItLong) {
    CControlPadDlg* pad = OpenPad();
    for (const KeyRow& k : kKeys) {
        SCOPED_TRACE(k.id);
        QPushButton* button = Button(pad, k.id);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(Sent(), std::vector<Bytes>{Press(k.group, k.number)});
        EXPECT_EQ(QApplication::focusWidget(), Field(pad));  // typing can go on at once
        QTest::mouseClick(button, Qt::LeftButton, Qt::ShiftModifier);
        EXPECT_EQ(Sent(), std::vector<Bytes>{LongPress(k.group, k.number)});
    }
}

TEST_F(ControlPadTest, EachPcKeyPressesItsButtonsKeyAndNeverTypes) {
    CControlPadDlg* pad = OpenPad();
    for (const KeyRow& k : kKeys) {
        if (k.qtKey == 0) continue;
        SCOPED_TRACE(k.id);
        QTest::keyClick(Field(pad), static_cast<Qt::Key>(k.qtKey), k.pcModifiers);
        EXPECT_EQ(Sent(), std::vector<Bytes>{Press(k.group, k.number)});
        QTest::keyClick(Field(pad), static_cast<Qt::Key>(k.qtKey),
                        k.pcModifiers | Qt::ShiftModifier);
        EXPECT_EQ(Sent(), std::vector<Bytes>{LongPress(k.group, k.number)});
        EXPECT_TRUE(Field(pad)->text().isEmpty());
        // The same key while a button has the focus.
        Button(pad, 1048)->setFocus();
        QTest::keyClick(Button(pad, 1048), static_cast<Qt::Key>(k.qtKey), k.pcModifiers);
        EXPECT_EQ(Sent(), std::vector<Bytes>{Press(k.group, k.number)});
    }
    // The keypad's Enter is Enter; keypad keys without Num Lock are the
    // navigation keys.
    QTest::keyClick(Field(pad), Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(Field(pad), Qt::Key_Home, Qt::KeypadModifier);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Press(6, 2), Press(2, 14)}));
    // Shift with a keypad key under Num Lock comes as its navigation key:
    // still the digit, pressed long.
    QTest::keyClick(Field(pad), Qt::Key_End, Qt::KeypadModifier | Qt::ShiftModifier);
    QTest::keyClick(Field(pad), Qt::Key_Up, Qt::KeypadModifier | Qt::ShiftModifier);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{LongPress(2, 1), LongPress(2, 8)}));
}

TEST_F(ControlPadTest, DigitsOfTheMainKeyboardAreTypedNotPressed) {
    CControlPadDlg* pad = OpenPad();
    QTest::keyClicks(Field(pad), "5");
    EXPECT_EQ(Sent(), std::vector<Bytes>{Narrow(14, 5)});
}

TEST_F(ControlPadTest, AltStarAndAltHashAreShortPressesAtOnceAndAltEFocusesTheField) {
    CControlPadDlg* pad = OpenPad();
    // Most keyboards need Shift for them; it does not make them long.
    for (const Qt::KeyboardModifiers shift : {Qt::KeyboardModifiers{}, {Qt::ShiftModifier}}) {
        QTest::keyClick(Field(pad), Qt::Key_Asterisk, Qt::AltModifier | shift);
        QTest::keyClick(Field(pad), Qt::Key_NumberSign, Qt::AltModifier | shift);
        EXPECT_EQ(Sent(), (std::vector<Bytes>{Press(2, 12), Press(2, 11)}));
    }
    // Nor does a Shift still held when a button's click would come later.
    QTest::keyClick(Field(pad), Qt::Key_Asterisk, Qt::AltModifier | Qt::ShiftModifier);
    QTest::qWait(200);
    EXPECT_EQ(Sent(), std::vector<Bytes>{Press(2, 12)});
    EXPECT_TRUE(Field(pad)->text().isEmpty());

    Button(pad, 1041)->setFocus();
    QTest::keyClick(Button(pad, 1041), Qt::Key_E, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), Field(pad));
    EXPECT_TRUE(Sent().empty());
}

TEST_F(ControlPadTest, ApplicationShortcutsDoNotTakeThePadsKeys) {
    QShortcut home(QKeySequence(Qt::Key_Home), m_owner);
    QShortcut f12(QKeySequence(Qt::Key_F12), m_owner);
    home.setContext(Qt::ApplicationShortcut);
    f12.setContext(Qt::ApplicationShortcut);
    QSignalSpy homeSpy(&home, &QShortcut::activated);
    QSignalSpy f12Spy(&f12, &QShortcut::activated);
    QPointer<CControlPadDlg> pad = OpenPad();
    QTest::keyClick(Field(pad), Qt::Key_Home);
    EXPECT_EQ(Sent(), std::vector<Bytes>{Press(2, 14)});
    QTest::keyClick(Field(pad), Qt::Key_F12);
    EXPECT_FALSE(pad->isVisible());
    EXPECT_EQ(homeSpy.count(), 0);
    EXPECT_EQ(f12Spy.count(), 0);
}

TEST_F(ControlPadTest, HeldKeySendsOncePerRepeat) {
    CControlPadDlg* pad = OpenPad();
    SendKey(Field(pad), Qt::Key_Up);
    for (int k = 0; k < 4; ++k) SendKey(Field(pad), Qt::Key_Up, {}, true);
    SendKey(Field(pad), Qt::Key_Up, Qt::ShiftModifier, true);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Press(1, 1), Press(1, 1), Press(1, 1), Press(1, 1),
                                          Press(1, 1), LongPress(1, 1)}));
}

TEST_F(ControlPadTest, EnterAndCtrlInTheFieldPressKeysAndCtrlVStillPastes) {
    CControlPadDlg* pad = OpenPad();
    QSignalSpy returns(Field(pad), &QLineEdit::returnPressed);
    QTest::keyClick(Field(pad), Qt::Key_Return);
    EXPECT_EQ(Sent(), std::vector<Bytes>{Press(6, 2)});
    EXPECT_EQ(returns.count(), 0);
    EXPECT_TRUE(pad->isVisible());

    QApplication::clipboard()->setText("ab");
    // The click presses Ctrl first, then V with Ctrl held.
    QTest::keyClick(Field(pad), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Press(6, 1), Narrow(4, 6), Narrow(4, 7)}));
    EXPECT_TRUE(Field(pad)->text().isEmpty());
}

TEST_F(ControlPadTest, TypedTextIsSentUnitByUnitAndTheFieldEmptied) {
    CControlPadDlg* pad = OpenPad();
    struct Case {
        QString text;
        std::vector<Bytes> sent;
    };
    const Case cases[] = {
        {"a", {Narrow(4, 6)}},
        // が splits into か and ゛.
        {"がっこう", {Wide(2, 1), Wide(10, 4), Wide(12, 1), Wide(2, 5), Wide(1, 3)}},
        {"カ", {}},  // full-width katakana has no cell
        {"ｶﾞ", {Narrow(2, 1), Narrow(10, 4)}},
        {"漢a😀\t\x01\x7f", {Narrow(4, 6)}},  // kanji, emoji and control characters dropped
        {"¥", {Narrow(8, 14)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        Commit(Field(pad), c.text);
        EXPECT_EQ(Sent(), c.sent);
        EXPECT_TRUE(Field(pad)->text().isEmpty());
        EXPECT_TRUE(pad->m_text.empty());
    }
    QTest::keyClicks(Field(pad), "Hi!");
    EXPECT_EQ(Sent(), (std::vector<Bytes>{Narrow(1, 13), Narrow(4, 14), Narrow(13, 4)}));
}

TEST_F(ControlPadTest, LongPasteIsSentWholeAndInOrder) {
    CControlPadDlg* pad = OpenPad();
    QString text;
    std::vector<Bytes> expected;
    for (int k = 0; k < 10000; ++k) {
        switch (k % 4) {
            case 0:
                text += "a";
                expected.push_back(Narrow(4, 6));
                break;
            case 1:
                text += "あ";
                expected.push_back(Wide(1, 1));
                break;
            case 2:
                text += "ｱ";
                expected.push_back(Narrow(1, 1));
                break;
            case 3:
                text += "9";
                expected.push_back(Narrow(15, 4));
                break;
        }
    }
    QApplication::clipboard()->setText(text);
    Field(pad)->paste();
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), expected.size());
    EXPECT_TRUE(sent == expected);
    EXPECT_TRUE(Field(pad)->text().isEmpty());
}

TEST_F(ControlPadTest, EscapeDoesNothingF12ClosesAndSavesThePosition) {
    QPointer<CControlPadDlg> pad = OpenPad();
    QSignalSpy closed(pad.data(), &CControlPadDlg::Closed);
    QTest::keyClick(Field(pad), Qt::Key_Escape);
    EXPECT_TRUE(pad->isVisible());
    EXPECT_TRUE(Sent().empty());

    pad->move(210, 120);
    QTest::keyClick(Field(pad), Qt::Key_F12);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(pad->isVisible());
    EXPECT_EQ(SavedPosition(), QPoint(210, 120));
    EXPECT_TRUE(Sent().empty());
    // A second F12 or close on the way out changes nothing.
    pad->DestroyWindow();
    EXPECT_EQ(closed.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(pad.isNull());

    // The next pad opens where the last one was.
    CControlPadDlg* next = OpenPad();
    EXPECT_EQ(next->pos(), QPoint(210, 120));
}

TEST_F(ControlPadTest, MinimisedOrMaximisedItSavesTheFramesNormalPosition) {
    for (const Qt::WindowState state : {Qt::WindowMinimized, Qt::WindowMaximized}) {
        SCOPED_TRACE(state);
        QPointer<CControlPadDlg> pad = OpenPad();
        pad->move(210, 120);
        ASSERT_NE(pad->geometry().topLeft(), pad->pos()) << "no frame to tell them apart";
        pad->setWindowState(state);
        EXPECT_TRUE(QTest::qWaitFor([&] { return pad->windowState() == state; }));
        pad->DestroyWindow();
        EXPECT_EQ(SavedPosition(), QPoint(210, 120));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(ControlPadTest, OkAndCancelCloseThroughTheSamePath) {
    for (const bool ok : {true, false}) {
        QPointer<CControlPadDlg> pad = OpenPad();
        pad->move(ok ? 33 : 44, 55);
        if (ok) {
            pad->accept();
        } else {
            pad->reject();
        }
        EXPECT_EQ(SavedPosition(), QPoint(ok ? 33 : 44, 55));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(pad.isNull());
    }
}

TEST_F(ControlPadTest, DestroyedWithItsOwnerItSavesNothing) {
    Profile::WriteProfileInt("pad", "pos_x", 10);
    Profile::WriteProfileInt("pad", "pos_y", 20);
    QPointer<CControlPadDlg> pad = OpenPad();
    EXPECT_EQ(pad->pos(), QPoint(10, 20));
    pad->move(300, 200);
    delete m_owner;
    m_owner = nullptr;
    EXPECT_TRUE(pad.isNull());
    EXPECT_EQ(SavedPosition(), QPoint(10, 20));
}

TEST_F(ControlPadTest, APositionOffEveryScreenIsBroughtBack) {
    Profile::WriteProfileInt("pad", "pos_x", 100000);
    Profile::WriteProfileInt("pad", "pos_y", -100000);
    CControlPadDlg* pad = OpenPad();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(QRect(pad->pos(), pad->size())))
        << pad->pos().x() << "," << pad->pos().y();
    // Partly visible is still on a screen: used as read.
    Profile::WriteProfileInt("pad", "pos_x", -20);
    Profile::WriteProfileInt("pad", "pos_y", 5);
    pad->DestroyWindow();
    Profile::WriteProfileInt("pad", "pos_x", -20);
    Profile::WriteProfileInt("pad", "pos_y", 5);
    EXPECT_EQ(OpenPad()->pos(), QPoint(-20, 5));
}

TEST_F(ControlPadTest, TooltipsOnTheButtonsOnly) {
    CControlPadDlg* pad = OpenPad();
    for (const KeyRow& k : kKeys) EXPECT_EQ(Button(pad, k.id)->toolTip(), QString(k.tooltip));
    int others = 0;
    for (QWidget* w : pad->findChildren<QWidget*>()) {
        const int id = w->objectName().toInt();
        const bool isKey = std::any_of(std::begin(kKeys), std::end(kKeys),
                                       [&](const KeyRow& k) { return k.id == id; });
        if (!isKey) {
            EXPECT_TRUE(w->toolTip().isEmpty()) << w->objectName().toStdString();
            ++others;
        }
    }
    EXPECT_GE(others, 5);  // the field and the four static texts
    EXPECT_TRUE(pad->toolTip().isEmpty());

    // Hovering shows them.
    QPushButton* enter = Button(pad, 1047);
    QHelpEvent over(QEvent::ToolTip, QPoint(2, 2), enter->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(enter, &over);
    EXPECT_EQ(QToolTip::text(), QString("Enter"));
}

TEST_F(ControlPadTest, LaidOutFromItsTemplate) {
    CControlPadDlg* pad = OpenPad();
    EXPECT_EQ(pad->windowTitle(), QString("外部制御パッド - Telvoxa"));
    const Qt::WindowFlags flags = pad->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_EQ(pad->parentWidget(), m_owner);

    // Texts by id, in tab order from the field.
    const std::pair<int, const char*> tabOrder[] = {
        {1026, ""},   {1045, "変換"}, {1046, "文字"}, {1048, "Sub"}, {1041, "↑"},  {1049, "Clr"},
        {1042, "←"},  {1047, "◎"},    {1043, "→"},    {1050, ""},    {1044, "↓"},  {1051, ""},
        {1052, "１"}, {1053, "２"},   {1054, "３"},   {1055, "４"},  {1056, "５"}, {1057, "６"},
        {1058, "７"}, {1059, "８"},   {1060, "９"},   {1063, "&*"},  {1062, "０"}, {1061, "&#"},
    };
    QWidget* at = Field(pad);
    for (const auto& [id, text] : tabOrder) {
        ASSERT_EQ(at->objectName(), QString::number(id));
        if (auto* button = qobject_cast<QPushButton*>(at)) {
            EXPECT_EQ(button->text(), QString(text));
            EXPECT_TRUE(button->isFlat());
            EXPECT_EQ(button->isDefault(), id == 1047);
        }
        EXPECT_TRUE(at->focusPolicy() & Qt::TabFocus);
        do {
            at = at->nextInFocusChain();
        } while (at->focusPolicy() == Qt::NoFocus);
    }
    EXPECT_EQ(pad->findChildren<QPushButton*>().size(), 23);
    EXPECT_EQ(pad->findChildren<QLabel*>().size(), 4);
    EXPECT_EQ(pad->findChildren<QLineEdit*>().size(), 1);

    // Placed as the template places them: same columns line up, the keypad
    // rows are evenly spaced, and everything lies inside the pad.
    EXPECT_EQ(Button(pad, 1041)->x(), Button(pad, 1044)->x());
    EXPECT_EQ(Button(pad, 1052)->x(), Button(pad, 1055)->x());
    EXPECT_EQ(Button(pad, 1055)->y() - Button(pad, 1052)->y(),
              Button(pad, 1058)->y() - Button(pad, 1055)->y());
    EXPECT_LT(Field(pad)->x(), Button(pad, 1045)->x());
    for (QWidget* w : pad->findChildren<QWidget*>()) {
        if (w->parentWidget() == pad) {
            EXPECT_TRUE(pad->rect().contains(w->geometry())) << w->objectName().toStdString();
        }
    }
    EXPECT_EQ(pad->minimumSize(), pad->maximumSize());

    // The two telephones, where the program carries their pictures.
    for (const auto& [id, resource] :
         {std::pair{1051, ":/icons/146.png"}, {1050, ":/icons/147.png"}}) {
        if (QFile::exists(resource)) {
            EXPECT_FALSE(Button(pad, id)->icon().isNull()) << id;
        }
    }
}

TEST_F(ControlPadTest, WithoutALinkNothingBreaks) {
    CControlPadDlg* pad = OpenPad();
    pad->m_sendKey = nullptr;
    QTest::mouseClick(Button(pad, 1041), Qt::LeftButton);
    QTest::keyClick(Field(pad), Qt::Key_Up);
    Commit(Field(pad), "abc");
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(Field(pad)->text().isEmpty());
}

}  // namespace
