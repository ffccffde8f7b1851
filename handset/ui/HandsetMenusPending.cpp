// Placeholders for the context menu and the control pad until their own file
// takes over; both do nothing.

#include "handset/ui/HandsetDlg.h"

void CHandsetDlg::OnRButtonDown(const QPoint&) {}

void CHandsetDlg::TogglePad() {}
