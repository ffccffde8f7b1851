#pragma once
// The phone book dialog 135: the loaded book in a four-column list view that
// sorts by any column; the chosen entry's name and first number, or nothing.
// The column widths are kept in the profile.

#include "winapp/Win32.h"

#include <optional>

#include "handset/HandsetView.h"
#include "phonebook/PhoneBook.h"
#include "platform/ProfileStore.h"

std::optional<ChosenEntry> RunPhoneBookDlg(HWND owner, const PhoneBook& book,
                                           ProfileStore& profile);
