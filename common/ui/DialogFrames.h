#pragma once
// Dialogs that cannot change size get a frame without maximise and minimise
// buttons, whoever made them: the window manager is told as each is shown.

class QApplication;

void InstallDialogFrames(QApplication& application);
