#pragma once
// What the user is told about filling the phone book.

#include <QString>

// The menu command that loads a phone book, as the menu shows it (without
// its mnemonic marker).
QString LoadPhoneBookCommandName();

// The phone book list's one line while no book is loaded.
QString EmptyPhoneBookText();

// The status and tool tip of the loading command.
QString LoadPhoneBookTip();

// After loading `file` from the menu: how many entries were read; for a file
// read in part, `stoppedAt` says where and why it stopped (else empty).
QString PhoneBookLoadedText(int entries, const QString& file, const QString& stoppedAt);

// Where a book with more entries than the handset keeps stops.
QString PhoneBookLimitText(int limit);
