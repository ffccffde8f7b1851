#include "handset/CallerDirectory.h"

#include "phonebook/DialledNumber.h"

std::shared_ptr<const CallerDirectory> CallerDirectory::FromPhoneBook(const PhoneBook& book) {
    auto directory = std::make_shared<CallerDirectory>();
    directory->m_byDigits = book.m_format != PhoneBookFormat::MemoryDial;
    directory->m_names.reserve(static_cast<size_t>(book.m_nRecords));
    directory->m_byNumber.reserve(static_cast<size_t>(book.m_nRecords) * 2);
    for (int i = 0; i < book.m_nRecords; ++i) {
        const CMemoryDial* record = book.m_records[static_cast<size_t>(i)].get();
        if (!record) continue;
        const size_t index = directory->m_names.size();
        directory->m_names.push_back(record->m_strName.empty() ? record->m_strReading
                                                               : record->m_strName);
        if (!directory->m_byDigits) {
            // emplace keeps the first record of a number.
            directory->m_byNumber.emplace(record->m_strNumber[0], index);
            continue;
        }
        for (const std::string& number : record->m_strNumber) {
            std::string digits = DialledDigits(number);
            if (!digits.empty()) directory->m_byNumber.emplace(std::move(digits), index);
        }
    }
    return directory;
}

const std::string* CallerDirectory::NameFor(const std::string& number) const {
    const auto found = m_byNumber.find(m_byDigits ? DialledDigits(number) : number);
    return found == m_byNumber.end() ? nullptr : &m_names[found->second];
}
