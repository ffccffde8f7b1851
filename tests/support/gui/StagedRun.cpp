#include "support/gui/StagedRun.h"
#include "app/ui/HandsetApp.h"

#include <QElapsedTimer>
#include <QTimer>

StagedRun RunInStages(CHandsetApp& app, const std::vector<Stage>& stages) {
    StagedRun run;
    bool busy = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        CHandsetDlg* window = app.m_pMainWnd;
        // A stage's own modal dialog runs the event loop again meanwhile.
        if (busy || !window || !window->isVisible() || window->IsEnded()) return;
        if (run.reached >= stages.size()) return;
        if (clock.elapsed() > 30000) {
            run.lastTexts =
                Text(window, 1004) + "|" + Text(window, 1005) + "|" + Text(window, 1008);
            window->EndDialog(IDCANCEL);
            return;
        }
        const Stage& stage = stages[run.reached];
        if (!stage.reached(window)) return;
        ++run.reached;
        busy = true;
        stage.then(window);
        busy = false;
    });
    poll.start();
    app.InitInstance();
    return run;
}
