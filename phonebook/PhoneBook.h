#pragma once
// The loaded phone book: records in file order and the group names, and the
// reading of a phone book file into it: a memory dial data file, a vCard or
// a CSV address book, told apart by their contents.

#include <array>
#include <memory>
#include <string>

#include "phonebook/MemoryDial.h"

struct GroupName {
    std::string first;
    std::string second;
};

// The kind of file a book was read from; it decides how callers are matched.
enum class PhoneBookFormat {
    MemoryDial,  // exactly, on each record's first number
    VCard,       // by the dialled digits, on every number of a record
    Csv,         // as VCard
};

struct PhoneBook {
    PhoneBookFormat m_format = PhoneBookFormat::MemoryDial;
    std::array<std::unique_ptr<CMemoryDial>, MAX_MEMORY_DIAL> m_records;
    int m_nRecords = 0;
    std::array<GroupName, MAX_GROUP> m_groupNames;

    // Deletes every record and empties every group name; the format becomes MemoryDial.
    void Clear();
    // The first record in file order whose first number is `number` exactly.
    const CMemoryDial* FindByNumber(const std::string& number) const;
};

enum class PhoneBookLoad {
    Loaded,       // the whole file was read
    OpenError,    // the file could not be opened: book empty
    CountError,   // more than MAX_MEMORY_DIAL records: a memory dial book stays empty,
                  // an address book keeps its first MAX_MEMORY_DIAL
    FileError,    // the file broke off or failed while reading: records read so far stay
    FormatError,  // an address book with something unreadable: what was read stays
};

struct PhoneBookLoadOutcome {
    PhoneBookLoad result = PhoneBookLoad::Loaded;
    // For FileError: the standard description of what went wrong, naming the
    // file. For FormatError: the file, the line and what was wrong there.
    // For OpenError: the file and why it could not be opened.
    std::string description;
};

// Clears `book` and reads the file at `path` into it, in the format its
// contents show (PhoneBookFormat.h).
PhoneBookLoadOutcome LoadPhoneBookFile(const std::string& path, PhoneBook& book);

// Clears `book` and reads a whole file's contents from `archive` into it; on
// FileError the archive's Status() says what went wrong. Never OpenError.
PhoneBookLoad ReadPhoneBook(ArchiveReader& archive, PhoneBook& book);
