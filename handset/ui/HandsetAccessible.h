#pragma once
// The handset window as assistive technology sees it: the text areas and the
// skin's buttons as controls of their own, in the order they are drawn, and
// a notification part that says what happens with a call.

#include <QString>

class CHandsetDlg;

// Makes the window's accessibility known to Qt; once, after the application
// object exists (every handset window calls it).
void InstallHandsetAccessibility();

// What skin button `index` is called: the key's label, or its function with
// the keyboard keys that press it.
QString SkinButtonName(int index);

// Says `text` through the window's notification part: shown anew, and taking
// the reader's focus where the window is the active one.
void AnnounceFromHandset(CHandsetDlg& dialog, const QString& text);

// Tells assistive technology that the focus ring is now on `button`.
void ReportSkinFocus(CHandsetDlg& dialog, int button);
