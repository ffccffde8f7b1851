#pragma once
// Fills a phone book from the entries of an address book (vCard or CSV), one
// at a time, within the book's limits, and keeps the first problem met.

#include <string>
#include <string_view>
#include <vector>

#include "phonebook/PhoneBook.h"

// One entry as an address book has it; texts in code page 932.
struct AddressEntry {
    std::string name;
    std::string reading;  // as written: hiragana, katakana or half-width
    std::vector<std::string> numbers;
    std::vector<std::string> numberTypes;  // beside each number, may be shorter
    std::string group;                     // the first category, or empty
};

struct AddressBookOutcome {
    PhoneBookLoad result = PhoneBookLoad::Loaded;
    int line = 0;      // where the problem is (FormatError), 1 for the first line, 0 for none
    std::string what;  // what the problem is (FormatError)
};

// Group 0 holds the entries without a group; the groups the entries name get
// the numbers 1 to MAX_GROUP - 1 in the order they first appear.
class AddressBookFiller {
public:
    // Clears `book` and marks it as read from `format`.
    AddressBookFiller(PhoneBook& book, PhoneBookFormat format);

    // Adds the entry as the next record, read from the given line. Past the
    // book's last record it is counted and dropped.
    void Add(const AddressEntry& entry, int line);
    // Remembers a problem if it is the first one.
    void Problem(int line, std::string what);

    // An entry was dropped past the book's last record: nothing more can be kept.
    bool Overflowed() const { return m_overflow; }

    // What the reading came to; a book that yields no entry at all, with
    // nothing else wrong, says so (line 0: the whole file).
    AddressBookOutcome Finish() const;

private:
    std::string GroupNumber(const std::string& group, int line);

    PhoneBook& m_book;
    int m_groupsUsed = 1;
    bool m_overflow = false;
    AddressBookOutcome m_problem;
};
