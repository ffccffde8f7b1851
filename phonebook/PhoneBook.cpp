#include "phonebook/PhoneBook.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "common/UserLanguage.h"
#include "phonebook/ArchiveReader.h"
#include "phonebook/CsvReader.h"
#include "phonebook/PhoneBookFormat.h"
#include "phonebook/VCardReader.h"
#include "platform/ReadableFile.h"

namespace {

// An address book is read whole; one larger than this is surely something else.
constexpr size_t kMaxAddressBookSize = 64u << 20;

// The file's size as the stream tells it, or -1; the stream stays where it was.
long StreamSize(std::FILE* file) {
    const long at = std::ftell(file);
    if (at < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(file);
    return std::fseek(file, at, SEEK_SET) == 0 ? size : -1;
}

// Reads the rest of the stream; false when the file system failed. `cut`
// when there was more than an address book can be.
bool ReadAll(std::FILE* file, std::string& bytes, bool& cut) {
    // Read into room of the file's size: no growing copies of the whole.
    const long size = StreamSize(file);
    if (size > static_cast<long>(kMaxAddressBookSize)) {
        cut = true;
        return true;
    }
    if (size > 0) bytes.reserve(static_cast<size_t>(size));
    char chunk[64 * 1024];
    size_t got = 0;
    cut = false;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (bytes.size() + got > kMaxAddressBookSize) {
            bytes.append(chunk, kMaxAddressBookSize - bytes.size());
            cut = true;
            return true;
        }
        bytes.append(chunk, got);
    }
    return std::ferror(file) == 0;
}

void ReadAddressBook(std::FILE* file, const std::string& path, PhoneBookFormat format,
                     PhoneBook& book, PhoneBookLoadOutcome& outcome) {
    std::string bytes;
    bool cut = false;
    if (!ReadAll(file, bytes, cut)) {
        outcome.result = PhoneBookLoad::FileError;
        outcome.description = DescribeArchiveFailure(ArchiveStatus::ReadError, path);
        return;
    }
    if (cut) {
        // Refused before any of it is taken apart.
        outcome.result = PhoneBookLoad::FormatError;
        outcome.description = InUserLanguage(
            QT_TRANSLATE_NOOP("Telvoxa",
                              "%1: larger than %2 MB, more than any address book; not read"),
            {path, std::to_string(kMaxAddressBookSize >> 20)});
        return;
    }
    const AddressBookOutcome read =
        format == PhoneBookFormat::VCard ? ReadVCardBook(bytes, book) : ReadCsvBook(bytes, book);
    outcome.result = read.result;
    if (read.result == PhoneBookLoad::CountError) {
        outcome.description = InUserLanguage(
            QT_TRANSLATE_NOOP("Telvoxa", "%1: more than %2 entries; the first %2 were read"),
            {path, std::to_string(MAX_MEMORY_DIAL)});
    } else if (read.result == PhoneBookLoad::FormatError) {
        outcome.description = read.line > 0
                                  ? InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa", "%1, line %2: %3"),
                                                   {path, std::to_string(read.line), read.what})
                                  : path + ": " + read.what;
    }
}

}  // namespace

void PhoneBook::Clear() {
    for (auto& record : m_records) record.reset();
    m_nRecords = 0;
    m_format = PhoneBookFormat::MemoryDial;
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

    // Only a regular file is a phone book: a FIFO, a device or a folder is
    // never read (and never waited on).
    ReadableFile opened = OpenReadableFile(path);
    std::FILE* file = opened.file;
    if (file == nullptr) {
        outcome.result = PhoneBookLoad::OpenError;
        outcome.description = path + ": " + opened.reason;
        return outcome;
    }

    char head[kFormatProbeSize];
    const size_t headSize = std::fread(head, 1, sizeof head, file);
    const PhoneBookFormat format = DetectPhoneBookFormat(std::string_view(head, headSize));
    // The kind is told from the first bytes; the reading starts over. A
    // stream that cannot go back (a pipe) is no phone book file.
    if (std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        outcome.result = PhoneBookLoad::FileError;
        outcome.description = DescribeArchiveFailure(ArchiveStatus::ReadError, path);
        return outcome;
    }
    if (format != PhoneBookFormat::MemoryDial) {
        ReadAddressBook(file, path, format, book, outcome);
        std::fclose(file);
        return outcome;
    }

    ArchiveReader archive(file);
    outcome.result = ReadPhoneBook(archive, book);
    std::fclose(file);
    if (outcome.result == PhoneBookLoad::FileError) {
        outcome.description = DescribeArchiveFailure(archive.Status(), path);
    } else if (outcome.result == PhoneBookLoad::CountError) {
        outcome.description =
            path + ": more than " + std::to_string(MAX_MEMORY_DIAL) + " records; none were read";
    }
    return outcome;
}
