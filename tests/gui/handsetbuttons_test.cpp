// The handset window's skin buttons, keys and mouse: which session input
// each click and key becomes, double-clicks, the window drag, the cursors,
// and the phone book chosen from the skin. What each input does in each call
// state is the session's (handsetsession_buttons_test).

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "app/ui/Profile.h"
#include "handset/MenuCommands.h"
#include "handset/ui/HandsetDlg.h"
#include "phonebook/ListSort.h"
#include "phonebook/ui/PhoneBookDlg.h"
#include "support/CallStates.h"
#include "support/CommTrace.h"
#include "support/FakeCommDevice.h"
#include "support/PhoneBytes.h"
#include "support/RecordingView.h"
#include "support/SessionAccess.h"
#include "support/gui/ButtonSkin.h"
#include "support/gui/FakePortWindow.h"
#include "support/gui/LinkWaits.h"
#include "support/gui/ModalScript.h"
#include "support/gui/QtPrinters.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/TempProfile.h"

namespace {

// One way of pressing something: a click on a button or on a point, a typed
// character, or a key.
struct Input {
    enum Kind { Button, Point, Character, Key } kind;
    int value = 0;
    QPoint point;
};
Input Click(int button) {
    return {Input::Button, button, {}};
}
Input ClickAt(QPoint point) {
    return {Input::Point, 0, point};
}
Input Type(char c) {
    return {Input::Character, c, {}};
}
Input Key(Qt::Key key) {
    return {Input::Key, key, {}};
}
std::string Describe(const Input& in) {
    switch (in.kind) {
        case Input::Button:
            return "click on button " + std::to_string(in.value);
        case Input::Point:
            return "click at " + std::to_string(in.point.x()) + "," + std::to_string(in.point.y());
        case Input::Character:
            return std::string("character ") + char(in.value);
        case Input::Key:
            return "key " + QKeySequence(in.value).toString().toStdString();
    }
    return {};
}

class HandsetButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProfile();
        PhoneBookSortState() = ListSortState{};
        ASSERT_TRUE(dir.isValid());
        WriteButtonSkin(dir.path());
    }

    QString SkinPath(const QString& name) const { return dir.path() + "/" + name; }

    // The window after its start-up, shown, with its ticks paused (ticks
    // are the test's business) and its communication log open.
    std::unique_ptr<CHandsetDlg> Start() {
        EXPECT_TRUE(app.OpenSkinFile(SkinPath("default.ini")));
        auto window = StartOnFakePort(phone);
        // A right press opens the context menu; these tests choose nothing from it.
        window->m_trackMenu = [](QMenu&, const QPoint&) -> QAction* { return nullptr; };
        EXPECT_TRUE(window->Session().Link().LogOpen(SkinPath("comm.log").toStdString()));
        window->move(100, 100);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        // What start-up sent is not the buttons' doing.
        phone->ClearRecord();
        trace.Follow(*phone, SkinPath("comm.log").toStdString());
        return window;
    }

    // The session in `state` with "0123" on show.
    static void Given(CHandsetDlg& w, int state) {
        w.Post([state](HandsetSession& s) {
            TestState(s).callState = state;
            TestState(s).display3 = "01234";
            TestState(s).appendDigits = true;
            s.OnClearButton();
        });
        w.Flush();
    }

    // What went to the phone since the last look. A button never purges the
    // port itself.
    std::vector<std::string> Trace() { return trace.Next(); }

    static QPoint Centre(CHandsetDlg& w, int button) {
        const SkinRect& r = w.ButtonRect(button);
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    // The input, and whatever the link made of it shown.
    static void Press(CHandsetDlg& w, const Input& in, bool flush = true) {
        switch (in.kind) {
            case Input::Button:
                QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, Centre(w, in.value));
                break;
            case Input::Point:
                QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {}, in.point);
                break;
            case Input::Character:
                QTest::keyClick(&w, char(in.value));
                break;
            case Input::Key:
                QTest::keyClick(&w, Qt::Key(in.value));
                break;
        }
        if (flush) FlushAnswering(w);
    }

    static QString Text(CHandsetDlg& w, int id) { return w.TextControl(id)->text(); }

    // 0 no picture, 1 or 2 the skin's pictures, -1 something else.
    int Picture() const {
        if (app.m_strPictureFile.isEmpty()) return 0;
        if (app.m_strPictureFile == SkinPath("pic1.bmp")) return 1;
        if (app.m_strPictureFile == SkinPath("pic2.bmp")) return 2;
        return -1;
    }

    void AddRecord(const char* name, const char* number) {
        auto record = std::make_unique<CMemoryDial>();
        record->m_strName = name;
        record->m_strNumber[0] = number;
        app.m_phoneBook.m_records[size_t(app.m_phoneBook.m_nRecords++)] = std::move(record);
    }

    QTemporaryDir dir;
    CHandsetApp app;
    ScriptedDialogs dialogs;
    FakeCommDevice* phone = nullptr;
    CommTrace trace;
};

struct InputRow {
    std::string name;
    int state;
    std::vector<Input> inputs;  // each is tried on its own, from the same start
    std::vector<std::string> trace;
    const char* number;
};

TEST_F(HandsetButtonsTest, EachClickAndKeyBecomesItsButtonsInput) {
    const std::vector<std::string> hangUp = {Write({0xA6}), "clear"};
    const InputRow rows[] = {
        {"dial key 5", CALL_OFFHOOK, {Click(5), Type('5')}, {Write(Codes("5"))}, "01235"},
        {"dial key *", CALL_OFFHOOK, {Click(BTN_AS), Type('*')}, {Write(Codes("*"))}, "0123*"},
        {"dial key #", CALL_OFFHOOK, {Click(BTN_SH), Type('#')}, {Write(Codes("#"))}, "0123#"},
        {"clear", CALL_OFFHOOK, {Click(BTN_CLEAR), Key(Qt::Key_Backspace)}, {}, "012"},
        {"clear all", CALL_OFFHOOK, {Key(Qt::Key_Delete)}, {}, ""},
        {"send",
         CALL_IDLE,
         {Click(BTN_SEND), Type('s'), Key(Qt::Key_Home)},
         {"clear", "clear", Write(Join({{0xA7, 0xEA}, Codes("0123"), {0x86}}))},
         "0123"},
        {"end", CALL_OFFHOOK, {Click(BTN_QUIT), Type('q'), Key(Qt::Key_End)}, hangUp, ""},
        // Upper-case letters and a click beside the keys do nothing at all.
        {"no key, no button",
         CALL_OFFHOOK,
         {Type('C'), Type('Q'), Type('S'), Type('x'), ClickAt(QPoint(2, 80)),
          ClickAt(QPoint(16, 45))},
         {},
         "0123"},
        // The phone book only while idle.
        {"phone book", CALL_OFFHOOK, {Click(BTN_CALL), Type('c')}, {}, "0123"},
    };
    ModalScript<CPhoneBookDlg> phoneBook;
    auto window = Start();
    for (const InputRow& row : rows) {
        for (const Input& input : row.inputs) {
            SCOPED_TRACE(row.name + ", " + Describe(input));
            Given(*window, row.state);
            Trace();
            Press(*window, input);
            EXPECT_EQ(Trace(), row.trace);
            EXPECT_EQ(Text(*window, IDC_DISPLAY3), QString::fromUtf8(row.number));
            EXPECT_FALSE(window->IsEnded());
            EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
        }
    }
    EXPECT_EQ(phoneBook.Shown(), 0);
}

TEST_F(HandsetButtonsTest, ADoubleClickOnEndWhileOnLineEndsTheCallThenTheProgram) {
    auto window = Start();
    Given(*window, CALL_ONLINE);
    phone->Incoming(ChargeReply("80"));
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, Centre(*window, BTN_QUIT));
    window->Flush();
    // One hang-up only: the second press is the double-click.
    EXPECT_EQ(Trace(), std::vector<std::string>{Write({0xA6})});
    EXPECT_EQ(Text(*window, IDC_DISPLAY3), QStringLiteral("Charge ¥80"));
    EXPECT_EQ(window->Shown().callState, CALL_IDLE);
    EXPECT_TRUE(window->IsEnded());
    EXPECT_EQ(window->Result(), IDOK);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

// Quitting while the link is busy: the end pressed before still reaches the
// phone and the call ends with its charge; a second quit request meanwhile
// cuts the end short, and what was still queued is dropped and logged.
TEST_F(HandsetButtonsTest, QuitLetsTheLinkFinishWhatWasAskedUnlessAskedTwice) {
    for (bool twice : {false, true}) {
        SCOPED_TRACE(twice ? "quit twice" : "quit once");
        QFile::remove(SkinPath("comm.log"));
        trace.Rewind();
        auto window = Start();
        RecordingCallSink calls;
        window->Session().AddCallSink(&calls);
        Given(*window, CALL_ONLINE);
        phone->Incoming(ChargeReply("80"), 100);
        // A busy link (a long wait of the phone's), with End queued behind it.
        auto release = std::make_shared<std::promise<void>>();
        window->Post([wait = release->get_future().share()](HandsetSession&) { wait.wait(); });
        Press(*window, Key(Qt::Key_End), /*flush=*/false);
        window->OnCommand(ID_APP_EXIT_OK);
        EXPECT_TRUE(window->IsEnded());
        // While the window waits for the link: maybe a second request, then
        // the link's wait is over.
        QTimer::singleShot(0, window.get(), [&] {
            if (twice) window->OnCommand(ID_APP_EXIT_OK);
            release->set_value();
        });
        window->OnDestroy();
        EXPECT_FALSE(phone->IsOpen());
        std::ifstream log(SkinPath("comm.log").toStdString());
        const std::string text((std::istreambuf_iterator<char>(log)), {});
        EXPECT_EQ(text.find("Input Dropped At End") != std::string::npos, twice);
        if (twice) {
            // The hang-up never went out: the end of the program closes the
            // call for the history, without a charge.
            ASSERT_EQ(calls.events.size(), 1u);
            EXPECT_EQ(calls.events[0].kind, CallEventKind::Ended);
            EXPECT_EQ(calls.events[0].charge, ChargeKind::None);
        } else {
            ASSERT_EQ(calls.events.size(), 1u);
            EXPECT_EQ(calls.events[0].chargeYen, 80);
            EXPECT_EQ(Text(*window, IDC_DISPLAY3), QStringLiteral("Charge ¥80"));
        }
    }
}

TEST_F(HandsetButtonsTest, ADoubleClickRunsTheButtonOnceThenItsOwnBehaviour) {
    auto window = Start();
    // A dial key: one digit, nothing more.
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, Centre(*window, 4));
    window->Flush();
    EXPECT_EQ(Text(*window, IDC_DISPLAY3), "4");
    // Clear: one character, then everything.
    Press(*window, Click(5));
    Press(*window, Click(6));
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, Centre(*window, BTN_CLEAR));
    window->Flush();
    EXPECT_EQ(Text(*window, IDC_DISPLAY3), "");
    EXPECT_EQ(Picture(), 1);
    // Send while off hook: nothing, once.
    Given(*window, CALL_OFFHOOK);
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, Centre(*window, BTN_SEND));
    window->Flush();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_FALSE(window->IsEnded());
    EXPECT_TRUE(Trace().empty());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(HandsetButtonsTest, ADoubleClickBesideTheButtonsMinimisesTheWindow) {
    auto window = Start();
    QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, QPoint(2, 80));
    window->Flush();
    EXPECT_TRUE(window->isMinimized());
    EXPECT_FALSE(window->IsEnded());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_TRUE(Trace().empty());
}

TEST_F(HandsetButtonsTest, ARightDoubleClickDoesNothingMore) {
    auto window = Start();
    QTest::mouseDClick(window->windowHandle(), Qt::RightButton, {}, QPoint(2, 80));
    QTest::mouseDClick(window->windowHandle(), Qt::RightButton, {}, Centre(*window, 5));
    window->Flush();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_EQ(Text(*window, IDC_DISPLAY3), "");
    EXPECT_TRUE(Trace().empty());
}

TEST_F(HandsetButtonsTest, EscapeEndsTheWindowAsConfirmed) {
    auto window = Start();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->IsEnded());
    EXPECT_EQ(window->Result(), IDOK);
    EXPECT_TRUE(Trace().empty());
}

// Receives the desktop's "open" requests instead of a real viewer.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    OpenedUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls << url; }
};

TEST_F(HandsetButtonsTest, F1OpensTheReadMe) {
    OpenedUrls opened;
    auto window = Start();
    QTest::keyClick(window.get(), Qt::Key_F1);
    ASSERT_EQ(opened.urls.size(), 1);
    EXPECT_EQ(opened.urls[0].fileName(), "Readme.txt");
    EXPECT_FALSE(window->IsEnded());
}

struct DragRow {
    const char* name;
    QPoint press;
    QPoint travel;
    QPoint moved;  // how far the window went
    const char* number;
};

TEST_F(HandsetButtonsTest, TheWindowIsDraggedFromTenPixelsOn) {
    auto window = Start();
    const QPoint beside(30, 79);
    const DragRow rows[] = {
        {"9 right", beside, {9, 0}, {0, 0}, ""},
        {"10 right", beside, {10, 0}, {10, 0}, ""},
        {"10 up", beside, {0, -10}, {0, -10}, ""},
        {"5 and 4", beside, {5, 4}, {0, 0}, ""},
        {"5 and 5", beside, {5, -5}, {5, -5}, ""},
        // The button acted on the press; the drag moves the window all the same.
        {"from a key", Centre(*window, 2), {-6, 4}, {-6, 4}, "2"},
    };
    for (const DragRow& row : rows) {
        SCOPED_TRACE(row.name);
        Press(*window, Key(Qt::Key_Delete));
        const QPoint before = window->pos();
        QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, row.press);
        EXPECT_EQ(QWidget::mouseGrabber(), window.get());
        QTest::mouseMove(window->windowHandle(), row.press + row.travel);
        EXPECT_EQ(window->pos(), before + row.moved);
        // The number line is the session's answer to the press.
        window->Flush();
        EXPECT_EQ(Text(*window, IDC_DISPLAY3), row.number);
        // The window moved under the cursor: the release is where the cursor is.
        QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {},
                            row.press + row.travel - row.moved);
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    }
    // Without the button held, moving does nothing.
    const QPoint before = window->pos();
    QTest::mouseMove(window->windowHandle(), QPoint(50, 79));
    EXPECT_EQ(window->pos(), before);
}

TEST_F(HandsetButtonsTest, ADragGoesOnStepByStepFromWhereTheWindowLastMoved) {
    auto window = Start();
    const QPoint start = window->pos();
    const QPoint pressScreen = start + QPoint(20, 79);
    QTest::mousePress(window->windowHandle(), Qt::LeftButton, {}, QPoint(20, 79));
    // 12 right: the window follows; 7 more: not yet, the window last moved
    // 7 pixels ago; 3 more: 10 since then, so it follows again.
    const int steps[][2] = {{12, 12}, {7, 12}, {3, 22}};
    int travelled = 0;
    for (const auto& step : steps) {
        travelled += step[0];
        // The cursor in screen coordinates, given to the window in its own.
        QTest::mouseMove(window->windowHandle(),
                         pressScreen + QPoint(travelled, 0) - window->pos());
        EXPECT_EQ(window->pos(), start + QPoint(step[1], 0)) << travelled;
    }
    QTest::mouseRelease(window->windowHandle(), Qt::LeftButton, {},
                        pressScreen + QPoint(travelled, 0) - window->pos());
}

TEST_F(HandsetButtonsTest, TheLowestButtonIndexTakesAClickWhereButtonsOverlap) {
    std::string ini = ButtonSkinIni();
    auto replace = [&ini](const std::string& from, const std::string& to) {
        const size_t at = ini.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        ini.replace(at, from.size(), to);
    };
    // BTN_5 spreads over BTN_3 and BTN_6; BTN_SEND lies under the whole skin.
    replace("BTN_5 = 19, 42, 31, 52", "BTN_5 = 30, 30, 50, 52");
    replace("BTN_SEND = 49, 30, 61, 40", "BTN_SEND = 0, 0, 64, 84");
    WriteButtonSkin(dir.path(), ini);
    auto window = Start();
    struct Row {
        QPoint at;
        const char* number;
        std::vector<std::string> trace;
    };
    const Row rows[] = {
        {{40, 35}, "3", {}},  // BTN_3 and BTN_5
        {{40, 47}, "5", {}},  // BTN_5 and BTN_6
        {{32, 35}, "5", {}},  // BTN_5 alone
        {Centre(*window, BTN_QUIT),
         "",
         {"clear", "clear", Write({0xA7, 0xEA})}},  // BTN_SEND before BTN_QUIT
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.number);
        Given(*window, CALL_IDLE);
        Press(*window, Key(Qt::Key_Delete));
        Press(*window, ClickAt(row.at));
        EXPECT_EQ(Text(*window, IDC_DISPLAY3), row.number);
        EXPECT_EQ(Trace(), row.trace);
    }
}

TEST_F(HandsetButtonsTest, TheCursorIsAHandOverAButtonAndAnArrowElsewhere) {
    auto window = Start();
    // The drawn cursors, or the platform's own shapes where they are missing.
    const bool art = QFile::exists(":/cursors/133.png") && QFile::exists(":/cursors/104.png");
    auto isHand = [&] {
        const QCursor c = window->cursor();
        return art ? c.shape() == Qt::BitmapCursor && c.hotSpot() == QPoint(0, 0)
                   : c.shape() == Qt::PointingHandCursor;
    };
    auto isArrow = [&] {
        const QCursor c = window->cursor();
        return art ? c.shape() == Qt::BitmapCursor && c.hotSpot() == QPoint(1, 1)
                   : c.shape() == Qt::ArrowCursor;
    };
    QTest::mouseMove(window->windowHandle(), Centre(*window, BTN_CLEAR));
    EXPECT_TRUE(isHand());
    QTest::mouseMove(window->windowHandle(), QPoint(2, 80));
    EXPECT_TRUE(isArrow());
    QTest::mouseMove(window->windowHandle(), Centre(*window, 7));
    EXPECT_TRUE(isHand());
    // Over a text area: the labels let the mouse through to the skin.
    QTest::mouseMove(window->windowHandle(), QPoint(30, 20));
    EXPECT_TRUE(isArrow());
    // A press sets it too.
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, Centre(*window, 0));
    EXPECT_TRUE(isHand());
}

TEST_F(HandsetButtonsTest, TheChosenPhoneBookEntryIsShownAndSendDialsIt) {
    Profile::WriteProfileInt("phone", "numdisp", 1);
    AddRecord("Yamada", "0312345678");
    AddRecord("Suzuki", "0120333444");
    AddRecord("Tanaka", "09011112222");
    auto window = Start();
    ModalScript<CPhoneBookDlg> phoneBook;
    phoneBook.Then([&](CPhoneBookDlg* d) {
        EXPECT_EQ(d->m_nCount, 3);
        EXPECT_EQ(d->m_nSelected, -1);
        QTreeWidget* list = d->findChild<QTreeWidget*>("1006");
        list->setCurrentItem(list->topLevelItem(1));
        QTest::mouseClick(d->findChild<QPushButton*>("1"), Qt::LeftButton);
    });
    Press(*window, Click(BTN_CALL));
    EXPECT_EQ(phoneBook.Shown(), 1);
    EXPECT_TRUE(window->Session().IsMonitoring());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(Text(*window, IDC_DISPLAY2), "Suzuki");
    EXPECT_EQ(Text(*window, IDC_DISPLAY3), "0120333444");
    EXPECT_EQ(Picture(), 0);
    EXPECT_TRUE(Trace().empty());

    Press(*window, Click(BTN_SEND));
    EXPECT_EQ(Trace(),
              (std::vector<std::string>{"clear", "clear",
                                        Write(Join({{0xA7, 0xEB}, Codes("0120333444"), {0x86}}))}));
    EXPECT_EQ(window->Shown().callState, CALL_OFFHOOK);
}

TEST_F(HandsetButtonsTest, CancelNoSelectionOrAnEmptyBookChooseNothing) {
    const struct {
        const char* name;
        bool withRecord;
        std::function<void(CPhoneBookDlg*)> answer;
    } rows[] = {
        {"cancel", true,
         [](CPhoneBookDlg* d) {
             QTest::mouseClick(d->findChild<QPushButton*>("2"), Qt::LeftButton);
         }},
        {"OK with nothing selected", true,
         [](CPhoneBookDlg* d) {
             d->findChild<QTreeWidget*>("1006")->clearSelection();
             QTest::mouseClick(d->findChild<QPushButton*>("1"), Qt::LeftButton);
         }},
        {"an empty phone book", false,
         [](CPhoneBookDlg* d) {
             EXPECT_EQ(d->m_nCount, 0);
             QTest::mouseClick(d->findChild<QPushButton*>("1"), Qt::LeftButton);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        app.m_phoneBook.Clear();
        app.m_phoneBook.m_nRecords = 0;
        if (row.withRecord) AddRecord("Yamada", "0312345678");
        QFile::remove(SkinPath("comm.log"));
        trace.Rewind();
        auto window = Start();
        Press(*window, Type('4'));
        Press(*window, Type('2'));
        ModalScript<CPhoneBookDlg> phoneBook;
        phoneBook.Then(row.answer);
        Press(*window, Type('c'));
        EXPECT_EQ(phoneBook.Shown(), 1);
        EXPECT_EQ(phoneBook.Unexpected(), 0);
        EXPECT_TRUE(window->Session().IsMonitoring());
        EXPECT_EQ(Text(*window, IDC_DISPLAY3), "42");
        EXPECT_EQ(window->Shown().callState, CALL_IDLE);
        EXPECT_TRUE(Trace().empty());
    }
}

}  // namespace

#include "handsetbuttons_test.moc"
