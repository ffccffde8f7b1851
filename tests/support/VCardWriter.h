#pragma once
// Writes sample phone books as a vCard 3.0 address book in UTF-8, the way a
// mail program exports one: numbers written for people ("+81 90-1234-5678",
// "03-1234-5678"), the reading as SORT-STRING, the group as CATEGORIES.

#include <string>

#include "support/SampleBooks.h"

// One card per record; a record in group 0 has no category.
std::string VCardBytes(const SampleBook& book);

// A number as an address book writes it: a mobile number with the country
// code, others with hyphens.
std::string WrittenNumber(const std::string& digits);
