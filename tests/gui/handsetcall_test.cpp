// A whole call through the running program: the simulated phone on a
// pseudo-terminal rings with a number from the phone book, is answered on the
// phone, and ends the call with a charge.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <vector>

#include "app/ui/DataFolder.h"
#include "app/ui/HandsetApp.h"
#include "handset/ui/HandsetDlg.h"
#include "sim/PhoneSimulator.h"
#include "support/PhoneBookWriter.h"
#include "support/gui/QtPrinters.h"
#include "support/gui/ScriptedDialogs.h"
#include "support/gui/TempProfile.h"
#include "support/gui/TestSkin.h"

namespace {

struct Stage {
    const char* name;
    std::function<bool(CHandsetDlg*)> reached;
    const char* phoneCommand;  // sent once the stage is reached; nullptr ends the run
};

QString Text(CHandsetDlg* w, int id) {
    return w->TextControl(id)->text();
}

TEST(HandsetCall, TheDisplayFollowsACallFromRingingToTheCharge) {
    ResetProfile();
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    WriteTestSkin(work.path());
    const QString savedDir = QDir::currentPath();
    QDir::setCurrent(work.path());
    DataFolder::Override(work.path() + "/none");

    CMemoryDial caller;
    caller.m_strName = "Yamada";
    caller.m_strNumber[0] = "0312345678";
    const QString book = work.path() + "/demo.mdd";
    ASSERT_TRUE(PhoneBookWriter().Raw(PhoneBookBytes({caller}, {})).Save(book.toStdString()));
    Profile::WriteProfileString("ini", "mdd", book);

    PhoneSimulatorOptions options;
    options.statusIntervalMs = 100;
    options.stay = true;
    PhoneSimulator phone(options);
    std::string error;
    ASSERT_TRUE(phone.Open(error)) << error;
    phone.Start();
    phone.Command("signal 3");
    Profile::WriteProfileString("ports", "COM1", QString::fromStdString(phone.PcPath()));
    Profile::WriteProfileInt("connection", "mon_interval", 50);

    ScriptedDialogs dialogs;
    CHandsetApp app;
    std::tm now{};
    now.tm_mon = 3;
    now.tm_mday = 1;
    now.tm_wday = 1;
    now.tm_hour = 12;
    app.m_clock = [now] { return now; };

    const std::vector<Stage> stages = {
        {"idle with signal and clock",
         [](CHandsetDlg* w) {
             return Text(w, 1019) == "***" && Text(w, 1004) == "04/01(Mon) 12:00";
         },
         "ring 0312345678"},
        {"ringing with the caller's name",
         [](CHandsetDlg* w) {
             return Text(w, 1004) == "Receiving..." && Text(w, 1005) == "Yamada" &&
                    Text(w, 1008) == "0312345678" && !w->Picture().isNull();
         },
         "answer"},
        {"on line", [](CHandsetDlg* w) { return Text(w, 1004) == "On Line"; }, "hangup 120"},
        {"charge after the phone ended the call",
         [](CHandsetDlg* w) {
             return w->Shown().callState == CALL_IDLE &&
                    Text(w, 1008) == QStringLiteral("Charge ¥120");
         },
         nullptr},
    };
    size_t reached = 0;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        CHandsetDlg* window = app.m_pMainWnd;
        if (!window || !window->isVisible()) return;
        if (clock.elapsed() > 30000) {
            window->EndDialog(IDOK);
            return;
        }
        const Stage& stage = stages[reached];
        if (!stage.reached(window)) return;
        ++reached;
        if (stage.phoneCommand)
            phone.Command(stage.phoneCommand);
        else
            window->EndDialog(IDOK);
    });
    poll.start();
    app.InitInstance();
    phone.Stop();
    QDir::setCurrent(savedDir);
    DataFolder::Override(QString());

    ASSERT_EQ(reached, stages.size())
        << "stuck at: " << stages[std::min(reached, stages.size() - 1)].name;
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Profile::GetProfileString("ini", "mdd", "?"), book);
}

}  // namespace
