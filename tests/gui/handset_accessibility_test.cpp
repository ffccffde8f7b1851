// The handset as a screen reader meets it, without one: its parts in the
// accessibility tree (names, roles, actions, places), the keyboard's focus
// ring and pressed keys, the menu from the keyboard, and what is said about
// each call.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QWindow>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/ui/HandsetApp.h"
#include "common/ui/SettingsDlg.h"
#include "handset/MenuCommands.h"
#include "handset/ui/HandsetAccessible.h"
#include "handset/ui/HandsetDlg.h"
#include "history/CallStore.h"
#include "history/ui/CallHistoryDlg.h"
#include "phonebook/ui/PhoneBookDlg.h"
#include "support/CallSamples.h"
#include "support/CommTrace.h"
#include "support/FakeCommDevice.h"
#include "support/PhoneBytes.h"
#include "support/ScratchDir.h"
#include "support/SessionAccess.h"
#include "support/gui/ButtonSkin.h"
#include "support/gui/FakePortWindow.h"
#include "support/gui/QtPrinters.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/TempProfile.h"
#include "textpad/ui/ControlPadDlg.h"

namespace {

constexpr int kNone = NO_BUTTON;

class HandsetAccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProfile();
        ASSERT_TRUE(dir.isValid());
    }

    std::unique_ptr<CHandsetDlg> Start(const std::string& ini = ButtonSkinIni()) {
        WriteButtonSkin(dir.path(), ini);
        EXPECT_TRUE(app.OpenSkinFile(dir.path() + "/default.ini"));
        auto window = StartOnFakePort(app, phone);
        window->m_trackMenu = [this](QMenu& menu, const QPoint& at) -> QAction* {
            menus.push_back(menu.objectName());
            menuAt = at;
            return nullptr;
        };
        EXPECT_TRUE(window->Session().Link().LogOpen((dir.path() + "/comm.log").toStdString()));
        window->move(100, 100);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        phone->ClearRecord();
        trace.Follow(*phone, (dir.path() + "/comm.log").toStdString());
        return window;
    }

    static QAccessibleInterface* Tree(CHandsetDlg& w) {
        return QAccessible::queryAccessibleInterface(&w);
    }
    // The child named `name` (a button's label).
    static QAccessibleInterface* Part(CHandsetDlg& w, const QString& name) {
        QAccessibleInterface* tree = Tree(w);
        for (int i = 0; i < tree->childCount(); ++i)
            if (tree->child(i)->text(QAccessible::Name) == name) return tree->child(i);
        return nullptr;
    }
    // A text area is known by what it is for, a button by its name.
    static QString Said(QAccessibleInterface* part) {
        if (part->role() == QAccessible::StaticText) return part->text(QAccessible::Description);
        if (part->role() == QAccessible::Notification) return QStringLiteral("(notification)");
        return part->text(QAccessible::Name);
    }

    static void Given(CHandsetDlg& w, int state) {
        w.Post([state](HandsetSession& s) {
            TestState(s).callState = state;
            s.OnClearAll();
        });
        w.Flush();
    }

    QTemporaryDir dir;
    CHandsetApp app;
    ScriptedDialogs dialogs;
    FakeCommDevice* phone = nullptr;
    CommTrace trace;
    std::vector<QString> menus;
    QPoint menuAt;
};

// The skin's lines with the signal moved to the top and the phone book key
// taken out.
std::string SignalOnTopWithoutPhoneBook() {
    std::string ini;
    for (const QString& line : QString::fromStdString(ButtonSkinIni()).split('\n')) {
        if (line.startsWith("BTN_CALL")) continue;
        if (line.startsWith("ANTENNA"))
            ini += "ANTENNA = 0, 0, 20, 4\n";
        else if (line.startsWith("DISPLAY1"))
            ini += "DISPLAY1 = 0, 4, 64, 8\n";
        else if (!line.isEmpty())
            ini += line.toStdString() + "\n";
    }
    return ini;
}

TEST_F(HandsetAccessibilityTest, ThePartsAreListedAsDrawnWithTheirRolesPlacesAndActions) {
    const QStringList keypad = {"1", "2", "3", "送信 (S, Home)", "4", "5", "6", "終話 (Q, End)",
                                "7", "8", "9", "クリア",         "*", "0", "#"};
    const struct {
        const char* name;
        std::string ini;
        QStringList parts;
    } rows[] = {
        {"every button, the signal below the display", ButtonSkinIni(),
         QStringList{"Status or clock", "Caller", "Number", "Signal"} + keypad +
             QStringList{"電話帳 (C)", "(notification)"}},
        {"the signal on top, no phone book key", SignalOnTopWithoutPhoneBook(),
         QStringList{"Signal", "Status or clock", "Caller", "Number"} + keypad +
             QStringList{"(notification)"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto window = Start(row.ini);
        window->Post([](HandsetSession& s) {
            TestState(s).antenna = "***";
            s.OnClearAll();
        });
        window->Flush();
        QAccessibleInterface* tree = Tree(*window);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(tree->text(QAccessible::Name), "Telvoxa");
        QStringList parts;
        for (int i = 0; i < tree->childCount(); ++i) {
            QAccessibleInterface* part = tree->child(i);
            parts << Said(part);
            EXPECT_EQ(tree->indexOfChild(part), i);
            EXPECT_EQ(part->parent(), tree);
            if (part->role() == QAccessible::StaticText &&
                part->text(QAccessible::Description) == "Signal") {
                EXPECT_EQ(part->text(QAccessible::Name), "***");
                ASSERT_NE(part->valueInterface(), nullptr);
                EXPECT_EQ(part->valueInterface()->currentValue().toInt(), 3);
            }
            if (part->role() != QAccessible::Button) continue;
            SCOPED_TRACE(parts.last().toStdString());
            ASSERT_NE(part->actionInterface(), nullptr);
            EXPECT_EQ(part->actionInterface()->actionNames(),
                      QStringList{QAccessibleActionInterface::pressAction()});
            // Where the button is on the screen, and what is found there.
            const int index = window->ButtonFromPoint(window->mapFromGlobal(part->rect().center()));
            ASSERT_NE(index, kNone);
            const SkinRect& r = window->ButtonRect(index);
            EXPECT_EQ(part->rect(), QRect(window->mapToGlobal(QPoint(r.left, r.top)),
                                          QSize(r.right - r.left, r.bottom - r.top)));
            EXPECT_EQ(tree->childAt(part->rect().center().x(), part->rect().center().y()), part);
        }
        EXPECT_EQ(parts, row.parts);
        // Beside the keys there is nothing to find.
        const QPoint beside = window->mapToGlobal(QPoint(2, 80));
        EXPECT_EQ(tree->childAt(beside.x(), beside.y()), nullptr);
        // Minimised, the window keeps its name.
        window->showMinimized();
        EXPECT_EQ(tree->text(QAccessible::Name), "Telvoxa");
    }
}

TEST_F(HandsetAccessibilityTest, PressingOneThenSendThroughTheirActionsDialsOne) {
    auto window = Start();
    trace.Next();
    for (const char* name : {"1", "送信 (S, Home)"}) {
        QAccessibleInterface* part = Part(*window, QString::fromUtf8(name));
        ASSERT_NE(part, nullptr) << name;
        part->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        window->Flush();
    }
    EXPECT_EQ(trace.Next(),
              (std::vector<std::string>{"clear", "clear",
                                        Write(Join({{0xA7, 0xEA}, Codes("1"), {0x86}}))}));
    EXPECT_EQ(window->TextControl(IDC_DISPLAY3)->text(), "1");
}

TEST_F(HandsetAccessibilityTest, TheKeyboardMovesAFocusRingThatSpaceAndReturnPress) {
    const struct {
        const char* name;
        std::vector<int> keys;
        int focused;
        const char* number;  // the number line afterwards
    } rows[] = {
        {"Tab starts at the first button", {Qt::Key_Tab}, 1, ""},
        {"Tab goes on as drawn",
         {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab},
         BTN_SEND,
         ""},
        {"Shift+Tab starts at the last", {Qt::Key_Backtab}, BTN_CALL, ""},
        {"Tab wraps round", {Qt::Key_Backtab, Qt::Key_Tab}, 1, ""},
        {"right and down", {Qt::Key_Tab, Qt::Key_Right, Qt::Key_Down}, 5, ""},
        {"left at the edge stays", {Qt::Key_Tab, Qt::Key_Left}, 1, ""},
        {"up from the bottom row", {Qt::Key_Backtab, Qt::Key_Up}, BTN_CLEAR, ""},
        {"Space presses", {Qt::Key_Tab, Qt::Key_Right, Qt::Key_Space}, 2, "2"},
        {"Return presses", {Qt::Key_Tab, Qt::Key_Down, Qt::Key_Return}, 4, "4"},
        {"Space without the ring does nothing", {Qt::Key_Space}, kNone, ""},
        {"the table keys still work", {Qt::Key_Tab, Qt::Key_7}, 1, "7"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto window = Start();
        window->activateWindow();
        window->setFocus();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ASSERT_TRUE(window->hasFocus());
        const QImage before = window->grab().toImage();
        for (int key : row.keys) QTest::keyClick(window.get(), Qt::Key(key));
        window->Flush();
        EXPECT_EQ(window->FocusedButton(), row.focused);
        EXPECT_EQ(window->TextControl(IDC_DISPLAY3)->text(), row.number);
        if (row.focused == kNone) continue;
        // A reader finds the focus on the button, and it is drawn round it.
        QAccessibleInterface* focused = Tree(*window)->focusChild();
        ASSERT_NE(focused, nullptr);
        EXPECT_EQ(focused->text(QAccessible::Name), SkinButtonName(row.focused));
        EXPECT_TRUE(focused->state().focused);
        const SkinRect& r = window->ButtonRect(row.focused);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->PressedButton() == kNone; }));
        const QImage after = window->grab().toImage();
        EXPECT_NE(after.pixel(r.left, r.top), before.pixel(r.left, r.top));
        EXPECT_EQ(after.pixel(2, 80), before.pixel(2, 80));
        // Without the focus, no ring.
        window->clearFocus();
        EXPECT_EQ(window->grab().toImage().pixel(r.left, r.top), before.pixel(r.left, r.top));
    }
}

TEST_F(HandsetAccessibilityTest, AKeyShowsItsButtonPressedForAMoment) {
    const struct {
        const char* name;
        int key;
        int button;
    } rows[] = {
        {"a digit", Qt::Key_5, 5},
        {"Home sends", Qt::Key_Home, BTN_SEND},
        {"Backspace clears", Qt::Key_Backspace, BTN_CLEAR},
        {"c opens the phone book", Qt::Key_C, BTN_CALL},
    };
    auto window = Start();
    Given(*window, CALL_OFFHOOK);
    const QImage before = window->grab().toImage();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const SkinRect& r = window->ButtonRect(row.button);
        const QPoint middle((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        QTest::keyClick(window.get(), Qt::Key(row.key));
        EXPECT_EQ(window->PressedButton(), row.button);
        EXPECT_NE(window->grab().toImage().pixel(middle), before.pixel(middle));
        EXPECT_TRUE(QTest::qWaitFor([&] { return window->PressedButton() == kNone; }));
        EXPECT_EQ(window->grab().toImage().pixel(middle), before.pixel(middle));
    }
}

TEST_F(HandsetAccessibilityTest, TheMenuKeyAndShiftF10OpenTheSkinMenuWhenIdle) {
    const struct {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int state;
        bool opens;
    } rows[] = {
        {"Menu key", Qt::Key_Menu, Qt::NoModifier, CALL_IDLE, true},
        {"Shift+F10", Qt::Key_F10, Qt::ShiftModifier, CALL_IDLE, true},
        {"F10 alone", Qt::Key_F10, Qt::NoModifier, CALL_IDLE, false},
        {"Menu key during a call", Qt::Key_Menu, Qt::NoModifier, CALL_OFFHOOK, false},
    };
    auto window = Start();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Given(*window, row.state);
        menus.clear();
        QTest::keyClick(window.get(), row.key, row.modifiers);
        window->Flush();
        QCoreApplication::processEvents();
        EXPECT_EQ(menus, row.opens ? std::vector<QString>{QString::number(IDR_SKIN_MENU)}
                                   : std::vector<QString>{});
        if (row.opens) {
            EXPECT_TRUE(window->frameGeometry().contains(menuAt));
        }
    }
}

// A step of a call: the phone's bytes, then a tick or a button; and what
// the handset's notification says afterwards.
struct CallStep {
    std::vector<uint8_t> phone;
    int button;
    const char* said;
};

TEST_F(HandsetAccessibilityTest, EachCallIsSpokenFromTheRingToItsEnd) {
    const std::vector<uint8_t> incoming = Join({{0xA5, 0xE0}, Codes("0312345678"), {0xAA}});
    const char* const ring = "Receiving... Yamada 0312345678";
    const struct {
        const char* name;
        std::vector<CallStep> steps;
    } rows[] = {
        {"answered, ended by the phone with a charge",
         {{incoming, kNone, ring},
          {{0xAF}, BTN_SEND, "On Line"},
          {Join({{0xA6, 0xE2}, Codes("120"), {0xAA}}), kNone, "Call ended Charge ¥120"}}},
        {"missed, number withheld",
         {{{0xA5, 0x41}, kNone, "Receiving... Not Notified"},
          {{0xA4, 0xA6}, kNone, "Missed call Not Notified"}}},
        {"missed, a number not in the phone book",
         {{Join({{0xA5, 0xE0}, Codes("0999"), {0xAA}}), kNone, "Receiving... 0999"},
          {{0xA4, 0xA6}, kNone, "Missed call 0999"}}},
        {"held, then ended by the user",
         {{incoming, kNone, ring},
          {{0x83}, BTN_QUIT, "Holding"},
          {{0x82}, BTN_QUIT, "Call ended"}}},
    };
    auto record = std::make_unique<CMemoryDial>();
    record->m_strName = "Yamada";
    record->m_strNumber[0] = "0312345678";
    app.m_phoneBook.m_records[0] = std::move(record);
    app.m_phoneBook.m_nRecords = 1;
    auto window = Start();
    window->PhoneBookChanged();
    QAccessibleInterface* tree = Tree(*window);
    QAccessibleInterface* notification = tree->child(tree->childCount() - 1);
    ASSERT_EQ(notification->role(), QAccessible::Notification);
    EXPECT_TRUE(notification->state().invisible);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Given(*window, CALL_IDLE);
        for (const CallStep& step : row.steps) {
            SCOPED_TRACE(step.said);
            phone->Incoming(step.phone);
            if (step.button == kNone)
                window->Post([](HandsetSession& s) { s.OnTimer(); });
            else
                window->PressButton(step.button);
            window->Flush();
            EXPECT_EQ(notification->text(QAccessible::Name), QString::fromUtf8(step.said));
            EXPECT_FALSE(notification->state().invisible);
        }
    }
}

TEST_F(HandsetAccessibilityTest, TheRingTakesTheReadersFocusOnlyWhereTheWindowIsActive) {
    enum Place { Active, Behind, Minimised };
    for (Place place : {Active, Behind, Minimised}) {
        const bool active = place == Active;
        SCOPED_TRACE(place);
        auto window = Start();
        QWidget other;
        if (place == Minimised) window->showMinimized();
        if (active) {
            window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        } else {
            other.show();
            other.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        }
        phone->Incoming({0xA5, 0x41});
        window->Post([](HandsetSession& s) { s.OnTimer(); });
        window->Flush();
        QAccessibleInterface* tree = Tree(*window);
        QAccessibleInterface* notification = tree->child(tree->childCount() - 1);
        EXPECT_EQ(notification->text(QAccessible::Name), "Receiving... Not Notified");
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
        EXPECT_EQ(notification->state().focused, active);
        EXPECT_EQ(tree->focusChild() == notification, active);
#endif
        // The keyboard's focus ring takes it back.
        QTest::keyClick(window.get(), Qt::Key_Tab);
        EXPECT_FALSE(notification->state().focused);
    }
}

// What a reader says for a dialog's field: its name, and the caption that
// labels it.
QString NameOf(QWidget* field) {
    QAccessibleInterface* part = QAccessible::queryAccessibleInterface(field);
    return part ? part->text(QAccessible::Name) : QString("(none)");
}
QString LabelOf(QWidget* field) {
    QAccessibleInterface* part = QAccessible::queryAccessibleInterface(field);
    for (const auto& [other, relation] : part->relations(QAccessible::Label))
        return other->text(QAccessible::Name);
    return {};
}
template <class W = QWidget>
W* Field(QWidget& dialog, const char* id) {
    W* w = dialog.findChild<W*>(QString::fromLatin1(id));
    EXPECT_NE(w, nullptr) << id;
    return w;
}

TEST_F(HandsetAccessibilityTest, TheSettingsFieldsAreNamedByTheirCaptionsAndTabbedAsDrawn) {
    CSettingsDlg dialog(nullptr, true);
    dialog.OnInitDialog();
    // A combo box is named by its value where readers take the caption from
    // the label relation; the slider has no value to be named by.
    const struct {
        const char* id;
        const char* caption;
        bool named;
    } rows[] = {
        {"1009", "COMポート", false},
        {"1017", "デバイス", false},
        {"1010", "ケーブル種別", false},
        {"1015", "モニタリング間隔(200-300msを推奨)", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_EQ(LabelOf(Field(dialog, row.id)), QString::fromUtf8(row.caption));
        if (row.named) {
            EXPECT_EQ(NameOf(Field(dialog, row.id)), QString::fromUtf8(row.caption));
        }
    }
    // The device's status is the field's description, and follows it.
    QWidget* device = Field(dialog, "1017");
    const auto status = [&] { return Field<QLabel>(dialog, "1018")->text(); };
    EXPECT_FALSE(status().isEmpty());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(device)->text(QAccessible::Description),
              status());
    Field<QComboBox>(dialog, "1009")->setCurrentIndex(5);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(device)->text(QAccessible::Description),
              status());
    // Tab goes down the fields as drawn, the device before the slider.
    QStringList order;
    QWidget* const first = Field(dialog, "1009");
    QWidget* w = first;
    for (int guard = 0; guard < 50; ++guard) {
        QWidget* named = w->parentWidget() == device ? device : w;
        const bool again = !order.isEmpty() && order.last() == named->objectName();
        if ((named->focusPolicy() & Qt::TabFocus) && !again) order << named->objectName();
        w = w->nextInFocusChain();
        if (w == first) break;
    }
    EXPECT_EQ(order, (QStringList{"1009", "1017", "1010", "1011", "1015", "1", "2", "3"}));
}

TEST_F(HandsetAccessibilityTest, TheListsAreNamedAndReadTheirCurrentRowWithItsColumn) {
    ScratchDir scratch;
    std::ostringstream diagnostics;
    auto store = CallStore::OpenForRecording(scratch.PathOf("calls.sqlite"), kMarch2024 + 86400,
                                             diagnostics);
    ASSERT_TRUE(store);
    ASSERT_TRUE(store->Insert(MakeCall(kMarch2024 + 3600, CallOutcome::Missed, "0312345678")));
    CCallHistoryDlg history(store.get(), nullptr, kMarch2024 + 86400);
    app.m_phoneBook.m_records[0] = std::make_unique<CMemoryDial>();
    app.m_phoneBook.m_records[0]->m_strName = "Yamada";
    app.m_phoneBook.m_records[0]->m_strNumber[0] = "0312345678";
    CPhoneBookDlg book;
    book.m_pRecords = app.m_phoneBook.m_records.data();
    book.m_pGroupNames = app.m_phoneBook.m_groupNames.data();
    book.m_nCount = 1;
    const struct {
        const char* name;
        QDialog* dialog;
        const char* list;
        const char* listName;
    } rows[] = {
        {"call history", &history, "1100", "通話履歴"},
        {"phone book", &book, "1006", "電話帳"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        row.dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(row.dialog));
        auto* list = Field<QTreeView>(*row.dialog, row.list);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(NameOf(list), QString::fromUtf8(row.listName));
        ASSERT_TRUE(list->currentIndex().isValid());
        EXPECT_EQ(list->currentIndex().row(), 0);
        // The current cell, with the name of its column.
        QAccessibleTableInterface* table =
            QAccessible::queryAccessibleInterface(list)->tableInterface();
        ASSERT_NE(table, nullptr);
        QAccessibleInterface* cell = table->cellAt(0, 0);
        ASSERT_NE(cell, nullptr);
        const QList<QAccessibleInterface*> headers =
            cell->tableCellInterface()->columnHeaderCells();
        ASSERT_EQ(headers.size(), 1);
        EXPECT_EQ(headers[0]->text(QAccessible::Name),
                  list->model()->headerData(0, Qt::Horizontal).toString());
        // Qt makes these for the asker, who gives them back.
        for (QAccessibleInterface* header : headers)
            QAccessible::deleteAccessibleInterface(
                QAccessible::registerAccessibleInterface(header));
        row.dialog->hide();
    }
    // The month chooses what the total says.
    auto* month = Field<QComboBox>(history, "1102");
    EXPECT_EQ(LabelOf(month), "Month");
    EXPECT_FALSE(
        QAccessible::queryAccessibleInterface(month)->text(QAccessible::Description).isEmpty());
}

TEST_F(HandsetAccessibilityTest, ThePadsTelephoneButtonsAreNamedAndKeepTheKeyboardsFocus) {
    QWidget owner;
    auto* pad = new CControlPadDlg(&owner);
    std::vector<std::string> sent;
    pad->m_sendKey = [&](const std::string& key) { sent.push_back(key); };
    pad->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pad));
    auto* offHook = Field<QPushButton>(*pad, "1050");
    auto* onHook = Field<QPushButton>(*pad, "1051");
    EXPECT_EQ(NameOf(offHook), "Off hook");
    EXPECT_EQ(NameOf(onHook), "On hook");
    const struct {
        const char* name;
        bool keyboard;
        QWidget* focusAfter;
    } rows[] = {
        {"Space on a focused button", true, onHook},
        {"a click", false, pad->findChild<QLineEdit*>()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        sent.clear();
        onHook->setFocus();
        if (row.keyboard)
            QTest::keyClick(onHook, Qt::Key_Space);
        else
            QTest::mouseClick(onHook, Qt::LeftButton);
        EXPECT_EQ(sent.size(), 1u);
        EXPECT_EQ(QApplication::focusWidget(), row.focusAfter);
    }
    delete pad;
}

}  // namespace
