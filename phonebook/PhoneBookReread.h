#pragma once
// What a phone book file that changed on disk comes to: the book read again
// replaces the loaded one whenever it yields entries, as choosing the file
// again would (a book read only in part included); a read that yields no
// entry (the file gone, unreadable, caught half written, emptied) leaves the
// loaded book in use until the next change.

#include <string>

#include "phonebook/PhoneBook.h"

struct PhoneBookReread {
    bool replace = false;
    // Empty for a whole book taken; else what was read, where, and why the
    // reading stopped or the book was not taken.
    std::string message;
};

PhoneBookReread JudgeReread(const std::string& path, const PhoneBookLoadOutcome& outcome,
                            int entriesRead, int entriesLoaded);
