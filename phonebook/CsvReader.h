#pragma once
// Reads a CSV address book (UTF-8, with or without a byte-order mark, or
// Shift_JIS) into the phone book. The first line names the columns; the name,
// reading, phone and group columns are found by their names in Japanese or
// English, and every phone column gives a number of the record.

#include <string_view>

#include "phonebook/AddressBookFiller.h"
#include "phonebook/PhoneBook.h"

// Clears `book` and reads the whole file's bytes into it. A file whose first
// line names no name column or no phone column is refused (FormatError, empty
// book, the message says which column names were looked for).
AddressBookOutcome ReadCsvBook(std::string_view bytes, PhoneBook& book);
