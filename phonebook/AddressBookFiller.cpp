#include "phonebook/AddressBookFiller.h"

#include <algorithm>
#include <memory>

#include "common/UserLanguage.h"
#include "phonebook/KanaReading.h"

namespace {
constexpr size_t kNumbersPerRecord = 10;
}

AddressBookFiller::AddressBookFiller(PhoneBook& book, PhoneBookFormat format) : m_book(book) {
    m_book.Clear();
    m_book.m_format = format;
}

void AddressBookFiller::Add(const AddressEntry& entry, int line) {
    if (m_book.m_nRecords >= MAX_MEMORY_DIAL) {
        m_overflow = true;
        return;
    }
    auto record = std::make_unique<CMemoryDial>();
    record->m_strName = entry.name;
    record->m_strReading = HalfWidthReading(entry.reading);
    const size_t numbers = std::min(entry.numbers.size(), kNumbersPerRecord);
    for (size_t i = 0; i < numbers; ++i) {
        record->m_strNumber[i] = entry.numbers[i];
        if (i < entry.numberTypes.size()) record->m_strNumberAttr[i] = entry.numberTypes[i];
    }
    record->m_strGroup = GroupNumber(entry.group, line);
    m_book.m_records[static_cast<size_t>(m_book.m_nRecords++)] = std::move(record);
}

std::string AddressBookFiller::GroupNumber(const std::string& group, int line) {
    if (group.empty()) return "0";
    for (int g = 1; g < m_groupsUsed; ++g) {
        if (m_book.m_groupNames[static_cast<size_t>(g)].first == group) return std::to_string(g);
    }
    if (m_groupsUsed >= MAX_GROUP) {
        Problem(line, InUserLanguage(QT_TRANSLATE_NOOP("Telvoxa",
                                                       "more than %1 groups; the entries of the "
                                                       "groups after them are listed in group 0"),
                                     {std::to_string(MAX_GROUP - 1)}));
        return "0";
    }
    m_book.m_groupNames[static_cast<size_t>(m_groupsUsed)].first = group;
    return std::to_string(m_groupsUsed++);
}

void AddressBookFiller::Problem(int line, std::string what) {
    if (m_problem.result == PhoneBookLoad::FormatError) return;
    m_problem.result = PhoneBookLoad::FormatError;
    m_problem.line = line;
    m_problem.what = std::move(what);
}

AddressBookOutcome AddressBookFiller::Finish() const {
    if (m_overflow) return {PhoneBookLoad::CountError, 0, {}};
    if (m_problem.result == PhoneBookLoad::Loaded && m_book.m_nRecords == 0) {
        return {PhoneBookLoad::FormatError, 0, "no entry in it (nothing with a name or a number)"};
    }
    return m_problem;
}
