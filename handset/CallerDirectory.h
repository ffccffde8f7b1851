#pragma once
// The caller-name lookup's own copy of the phone book: each record's first
// number with the name to show for it. The session's thread reads it while
// the window may load another phone book, so the window hands over a new
// copy instead of sharing the book.

#include <memory>
#include <string>
#include <vector>

#include "phonebook/PhoneBook.h"

class CallerDirectory {
public:
    static std::shared_ptr<const CallerDirectory> FromPhoneBook(const PhoneBook& book);

    // The name of the first record in file order whose first number is
    // `number` exactly (its reading when the name is empty); null if none.
    const std::string* NameFor(const std::string& number) const;

private:
    struct Entry {
        std::string number;
        std::string name;
    };
    std::vector<Entry> m_entries;
};
