#pragma once
// Which kind of phone book a file is, told by its contents, not its name.

#include <string_view>

#include "phonebook/PhoneBook.h"

// How many bytes from the start DetectPhoneBookFormat needs at most.
inline constexpr size_t kFormatProbeSize = 4096;

// A vCard when a line of the head begins with BEGIN:VCARD, in any case; a memory dial data file
// when the first four bytes hold one that no text has (a record count is mostly zero bytes) or the
// file is shorter than a count; a CSV file otherwise.
PhoneBookFormat DetectPhoneBookFormat(std::string_view head);
