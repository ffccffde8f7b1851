#pragma once
// The loaded phone book: records in file order and the group names, and the
// reading of a memory dial data file into it.

#include <array>
#include <memory>
#include <string>

#include "phonebook/MemoryDial.h"

struct GroupName {
    std::string first;
    std::string second;
};

struct PhoneBook {
    std::array<std::unique_ptr<CMemoryDial>, MAX_MEMORY_DIAL> m_records;
    int m_nRecords = 0;
    std::array<GroupName, MAX_GROUP> m_groupNames;

    // Deletes every record and empties every group name.
    void Clear();
    // The first record in file order whose first number is `number` exactly.
    const CMemoryDial* FindByNumber(const std::string& number) const;
};

enum class PhoneBookLoad {
    Loaded,      // the whole file was read
    OpenError,   // the file could not be opened: book empty
    CountError,  // more than MAX_MEMORY_DIAL records announced: book empty
    FileError,   // the file broke off or failed while reading: records read so far stay
};

struct PhoneBookLoadOutcome {
    PhoneBookLoad result = PhoneBookLoad::Loaded;
    // For FileError: the standard description of what went wrong, naming the file.
    std::string description;
};

// Clears `book` and reads the file at `path` into it.
PhoneBookLoadOutcome LoadPhoneBookFile(const std::string& path, PhoneBook& book);

// Clears `book` and reads a whole file's contents from `archive` into it; on
// FileError the archive's Status() says what went wrong. Never OpenError.
PhoneBookLoad ReadPhoneBook(ArchiveReader& archive, PhoneBook& book);
