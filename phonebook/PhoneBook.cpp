#include "phonebook/PhoneBook.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "phonebook/ArchiveReader.h"

void PhoneBook::Clear() {
    for (auto& record : m_records) record.reset();
    m_nRecords = 0;
    for (GroupName& group : m_groupNames) group = GroupName{};
}

const CMemoryDial* PhoneBook::FindByNumber(const std::string& number) const {
    for (int i = 0; i < m_nRecords; ++i) {
        if (m_records[i] && m_records[i]->m_strNumber[0] == number) return m_records[i].get();
    }
    return nullptr;
}

PhoneBookLoad ReadPhoneBook(ArchiveReader& archive, PhoneBook& book) {
    book.Clear();

    int32_t recordCount = 0;
    if (!archive.ReadInt32(recordCount)) return PhoneBookLoad::FileError;
    if (recordCount > MAX_MEMORY_DIAL) return PhoneBookLoad::CountError;

    // A negative count reads no records. A record that breaks off is dropped;
    // the ones before it stay.
    for (int32_t i = 0; i < recordCount; ++i) {
        auto record = std::make_unique<CMemoryDial>();
        if (!record->Serialize(archive)) return PhoneBookLoad::FileError;
        book.m_records[book.m_nRecords++] = std::move(record);
    }

    int32_t groupCount = 0;
    if (!archive.ReadInt32(groupCount)) return PhoneBookLoad::FileError;
    // Groups past the last one the book can hold, and whatever follows, are never read.
    const int32_t groupsToRead = std::min(groupCount, MAX_GROUP);
    for (int32_t g = 0; g < groupsToRead; ++g) {
        GroupName& group = book.m_groupNames[g];
        if (!archive.ReadString(group.first) || !archive.ReadString(group.second)) {
            group = GroupName{};
            return PhoneBookLoad::FileError;
        }
    }
    return PhoneBookLoad::Loaded;
}

PhoneBookLoadOutcome LoadPhoneBookFile(const std::string& path, PhoneBook& book) {
    book.Clear();
    PhoneBookLoadOutcome outcome;

    // A directory is no phone book, even where the system lets it be opened.
    std::error_code ignored;
    std::FILE* file =
        std::filesystem::is_directory(path, ignored) ? nullptr : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        outcome.result = PhoneBookLoad::OpenError;
        return outcome;
    }

    ArchiveReader archive(file);
    outcome.result = ReadPhoneBook(archive, book);
    std::fclose(file);
    if (outcome.result == PhoneBookLoad::FileError) {
        outcome.description = DescribeArchiveFailure(archive.Status(), path);
    }
    return outcome;
}
