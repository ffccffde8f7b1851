#pragma once
// The caller-name lookup's own copy of the phone book: the numbers with the
// name to show for each. The session's thread reads it while the window may
// load another phone book, so the window hands over a new copy instead of
// sharing the book.
//
// A memory dial book matches the received number exactly against each
// record's first number. An address book (vCard, CSV) writes numbers for
// people to read, so every number of a record is matched by its dialled
// digits (DialledNumber.h).

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "phonebook/PhoneBook.h"

class CallerDirectory {
public:
    static std::shared_ptr<const CallerDirectory> FromPhoneBook(const PhoneBook& book);

    // The name of the first record in file order that has `number` (its
    // reading when the name is empty); null if none.
    const std::string* NameFor(const std::string& number) const;

private:
    bool m_byDigits = false;
    // The names, in file order; the key's first record wins.
    std::vector<std::string> m_names;
    std::unordered_map<std::string, size_t> m_byNumber;
};
