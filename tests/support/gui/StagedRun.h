#pragma once
// The running program driven in stages: its window is polled every 20 ms and
// each stage waits until the window shows what the stage names, then takes
// its step (typing, a click, a command to the simulated phone).

#include <QLabel>
#include <QString>
#include <functional>
#include <vector>

#include "app/ui/HandsetApp.h"
#include "handset/ui/HandsetDlg.h"

struct Stage {
    const char* name;
    std::function<bool(CHandsetDlg*)> reached;
    std::function<void(CHandsetDlg*)> then;  // the last stage's step ends the run
};

// The text shown in the window's text area `id`.
inline QString Text(CHandsetDlg* w, int id) {
    return w->TextControl(id)->text();
}

struct StagedRun {
    size_t reached = 0;  // how many stages were reached
    QString lastTexts;   // the status, name and number lines when it gave up
};

// Runs `app` through `stages`. After 30 s it gives up and closes the window
// with IDCANCEL.
StagedRun RunInStages(CHandsetApp& app, const std::vector<Stage>& stages);
