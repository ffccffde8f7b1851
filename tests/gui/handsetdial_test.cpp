// Calls placed from the skin through the running program, against the
// simulated phone on a pseudo-terminal: a number typed on the keypad, an
// entry chosen from the phone book, each dialled with the send key, and the
// charge shown when the skin's end key hangs up.

#include <gtest/gtest.h>

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QWindow>
#include <algorithm>
#include <functional>
#include <vector>

#include "app/ui/DataFolder.h"
#include "app/ui/HandsetApp.h"
#include "handset/ui/HandsetDlg.h"
#include "phonebook/ListSort.h"
#include "phonebook/ui/PhoneBookDlg.h"
#include "sim/PhoneSimulator.h"
#include "support/PhoneBookWriter.h"
#include "support/gui/ButtonSkin.h"
#include "support/gui/ModalScript.h"
#include "support/gui/QtPrinters.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/StagedRun.h"
#include "support/gui/TempProfile.h"

namespace {

void ClickButton(CHandsetDlg* w, int button) {
    const SkinRect& r = w->ButtonRect(button);
    QTest::mouseClick(w->windowHandle(), Qt::LeftButton, {},
                      QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
}

TEST(HandsetDial, NumbersTypedOnTheSkinOrChosenFromThePhoneBookAreDialled) {
    ResetProfile();
    PhoneBookSortState() = ListSortState{};
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    WriteButtonSkin(work.path());
    const QString savedDir = QDir::currentPath();
    QDir::setCurrent(work.path());
    DataFolder::Override(work.path() + "/none");

    CMemoryDial first, second;
    first.m_strName = "Yamada";
    first.m_strNumber[0] = "0312345678";
    second.m_strName = "Suzuki";
    second.m_strNumber[0] = "0120333444";
    const QString book = work.path() + "/demo.mdd";
    ASSERT_TRUE(
        PhoneBookWriter().Raw(PhoneBookBytes({first, second}, {})).Save(book.toStdString()));
    Profile::WriteProfileString("ini", "mdd", book);

    PhoneSimulatorOptions options;
    options.statusIntervalMs = 100;
    options.stay = true;
    PhoneSimulator phone(options);
    std::string error;
    ASSERT_TRUE(phone.Open(error)) << error;
    phone.Start();
    phone.Command("signal 2");
    Profile::WriteProfileString("ports", "COM1", QString::fromStdString(phone.PcPath()));
    Profile::WriteProfileInt("connection", "mon_interval", 50);
    Profile::WriteProfileInt("phone", "numdisp", 1);

    ScriptedDialogs dialogs;
    ModalScript<CPhoneBookDlg> phoneBook;
    phoneBook.Then([](CPhoneBookDlg* d) {
        QTreeWidget* list = d->findChild<QTreeWidget*>("1006");
        list->setCurrentItem(list->topLevelItem(1));
        QTest::mouseClick(d->findChild<QPushButton*>("1"), Qt::LeftButton);
    });
    CHandsetApp app;

    auto printed = [&phone](const std::string& line) {
        const auto lines = phone.Lines();
        return std::count(lines.begin(), lines.end(), line);
    };
    // Start-up puts the phone on hook: the first "<- HANGUP".
    const std::vector<Stage> stages = {
        {"idle", [](CHandsetDlg* w) { return Text(w, 1019) == "**"; },
         [](CHandsetDlg* w) {
             QTest::keyClicks(w, "0312345678");
             ClickButton(w, BTN_SEND);
         }},
        {"the typed number dialled, with the caller's number shown",
         [&](CHandsetDlg* w) {
             return printed("<- DIAL 0312345678 caller-id=on") == 1 &&
                    Text(w, 1004) == "Sending...";
         },
         [&](CHandsetDlg*) {
             phone.Command("charge 80");
             phone.Command("answer");
         }},
        {"on line", [](CHandsetDlg* w) { return Text(w, 1004) == "On Line"; },
         [](CHandsetDlg* w) { ClickButton(w, BTN_QUIT); }},
        {"the charge after the skin ended the call",
         [&](CHandsetDlg* w) {
             return printed("<- HANGUP") == 2 && w->Shown().callState == CALL_IDLE &&
                    Text(w, 1008) == QStringLiteral("Charge ¥80");
         },
         [](CHandsetDlg* w) {
             ClickButton(w, BTN_CALL);
             ClickButton(w, BTN_SEND);
         }},
        {"the phone book's entry dialled",
         [&](CHandsetDlg* w) {
             return printed("<- DIAL 0120333444 caller-id=on") == 1 && Text(w, 1005) == "Suzuki" &&
                    Text(w, 1008) == "0120333444";
         },
         [](CHandsetDlg* w) { QTest::keyClick(w, Qt::Key_End); }},
        {"hung up again",
         [&](CHandsetDlg* w) { return printed("<- HANGUP") == 3 && Text(w, 1008).isEmpty(); },
         [](CHandsetDlg* w) { QTest::keyClick(w, Qt::Key_Escape); }},
    };
    const StagedRun run = RunInStages(app, stages);
    phone.Stop();
    QDir::setCurrent(savedDir);
    DataFolder::Override(QString());

    std::string lines;
    for (const std::string& line : phone.Lines()) lines += line + "\n";
    ASSERT_EQ(run.reached, stages.size())
        << "stuck at: " << stages[std::min(run.reached, stages.size() - 1)].name << "\n"
        << lines << run.lastTexts.toStdString();
    EXPECT_EQ(app.m_nLastRunResult, IDOK);
    EXPECT_EQ(phoneBook.Shown(), 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
