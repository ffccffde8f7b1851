#pragma once
// Phone books with believable contents, in code page 932: a small fixed one
// for demonstrations and generated ones of any size for load measurements.

#include <cstdint>
#include <vector>

#include "phonebook/MemoryDial.h"
#include "phonebook/PhoneBook.h"

struct SampleBook {
    std::vector<CMemoryDial> records;
    std::vector<GroupName> groups;
};

// Eight entries in four named groups. One has the first number "09012345678"
// and the name "山田太郎", another the first number "0312345678".
SampleBook DemoBook();

// `count` entries like a real handset's: names of 6 to 20 bytes with their
// readings, two or three numbers each, ten named groups. Same seed, same book.
SampleBook GeneratedBook(int count, uint32_t seed = 1);
