#include "handset/CallerDirectory.h"

std::shared_ptr<const CallerDirectory> CallerDirectory::FromPhoneBook(const PhoneBook& book) {
    auto directory = std::make_shared<CallerDirectory>();
    directory->m_entries.reserve(static_cast<size_t>(book.m_nRecords));
    for (int i = 0; i < book.m_nRecords; ++i) {
        const CMemoryDial* record = book.m_records[static_cast<size_t>(i)].get();
        if (!record) continue;
        directory->m_entries.push_back({record->m_strNumber[0], record->m_strName.empty()
                                                                    ? record->m_strReading
                                                                    : record->m_strName});
    }
    return directory;
}

const std::string* CallerDirectory::NameFor(const std::string& number) const {
    for (const Entry& entry : m_entries) {
        if (entry.number == number) return &entry.name;
    }
    return nullptr;
}
