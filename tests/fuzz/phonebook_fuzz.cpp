// Feeds arbitrary bytes to the phone book reader, once from memory and once
// through a stdio stream, and checks that both agree and that what was
// loaded obeys the book's limits and field rules.

#include <stdio.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzCheck.h"
#include "phonebook/ArchiveReader.h"
#include "phonebook/PhoneBook.h"
#include "platform/Atoi.h"

namespace {

void CheckRules(PhoneBookLoad result, const ArchiveReader& archive, const PhoneBook& book) {
    Check((result == PhoneBookLoad::FileError) == (archive.Status() != ArchiveStatus::Ok));
    Check(result != PhoneBookLoad::OpenError);
    Check(book.m_nRecords >= 0 && book.m_nRecords <= MAX_MEMORY_DIAL);
    if (result == PhoneBookLoad::CountError) Check(book.m_nRecords == 0);
    for (int i = 0; i < MAX_MEMORY_DIAL; ++i) {
        Check((book.m_records[i] != nullptr) == (i < book.m_nRecords));
        if (!book.m_records[i]) continue;
        const CMemoryDial& r = *book.m_records[i];
        const int32_t group = AtoiText(r.m_strGroup);
        Check(group >= 0 && group < MAX_GROUP);
        Check(AtoiText(r.m_strIndex1) < 5000 && AtoiText(r.m_strIndex2) < 5000);
    }
}

bool SameRecord(const CMemoryDial& a, const CMemoryDial& b) {
    for (int i = 0; i < 10; ++i) {
        if (a.m_strNumber[i] != b.m_strNumber[i] || a.m_strNumberAttr[i] != b.m_strNumberAttr[i] ||
            a.m_strItem[i] != b.m_strItem[i]) {
            return false;
        }
    }
    return a.m_bSecret == b.m_bSecret && a.m_strIndex1 == b.m_strIndex1 &&
           a.m_strIndex2 == b.m_strIndex2 && a.m_strReading == b.m_strReading &&
           a.m_strExtra == b.m_strExtra && a.m_strGroup == b.m_strGroup &&
           a.m_strName == b.m_strName;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto* fromMemory = new PhoneBook;
    static auto* fromStream = new PhoneBook;

    ArchiveReader memoryArchive(data, size);
    const PhoneBookLoad memoryResult = ReadPhoneBook(memoryArchive, *fromMemory);
    CheckRules(memoryResult, memoryArchive, *fromMemory);

    if (size == 0) return 0;  // a memory stream cannot be empty
    std::string copy(reinterpret_cast<const char*>(data), size);
    FILE* stream = fmemopen(copy.data(), copy.size(), "rb");
    if (stream == nullptr) return 0;
    ArchiveReader streamArchive(stream);
    const PhoneBookLoad streamResult = ReadPhoneBook(streamArchive, *fromStream);
    fclose(stream);
    CheckRules(streamResult, streamArchive, *fromStream);

    Check(streamResult == memoryResult);
    Check(streamArchive.Status() == memoryArchive.Status());
    Check(fromStream->m_nRecords == fromMemory->m_nRecords);
    for (int i = 0; i < fromMemory->m_nRecords; ++i) {
        Check(SameRecord(*fromMemory->m_records[i], *fromStream->m_records[i]));
    }
    for (int g = 0; g < MAX_GROUP; ++g) {
        Check(fromMemory->m_groupNames[g].first == fromStream->m_groupNames[g].first);
        Check(fromMemory->m_groupNames[g].second == fromStream->m_groupNames[g].second);
    }
    return 0;
}
