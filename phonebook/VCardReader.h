#pragma once
// Reads a vCard address book (versions 2.1, 3.0 and 4.0) into the phone book:
// one record per card, with its name, the reading of its name, its numbers in
// file order and its first category as the group.

#include <string_view>

#include "phonebook/AddressBookFiller.h"
#include "phonebook/PhoneBook.h"

// Clears `book` and reads the whole file's bytes into it. Cards read before
// a problem stay; a card cut short is dropped.
AddressBookOutcome ReadVCardBook(std::string_view bytes, PhoneBook& book);
