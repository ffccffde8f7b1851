#pragma once
// What every address book read must leave behind, whatever the input: a book
// within its limits, groups in range, and an outcome that names its line.

#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "phonebook/AddressBookFiller.h"
#include "phonebook/DialledNumber.h"
#include "phonebook/PhoneBook.h"
#include "platform/Atoi.h"

inline void CheckAddressBook(const AddressBookOutcome& outcome, const PhoneBook& book,
                             PhoneBookFormat format) {
    Check(book.m_format == format);
    Check(book.m_nRecords >= 0 && book.m_nRecords <= MAX_MEMORY_DIAL);
    Check(outcome.result == PhoneBookLoad::Loaded || outcome.result == PhoneBookLoad::CountError ||
          outcome.result == PhoneBookLoad::FormatError);
    // A problem names its line; only a book without any entry is told about
    // as a whole (line 0).
    if (outcome.result == PhoneBookLoad::FormatError) {
        Check(outcome.line > 0 || book.m_nRecords == 0);
    } else {
        Check(outcome.line == 0);
    }
    if (outcome.result == PhoneBookLoad::CountError) Check(book.m_nRecords == MAX_MEMORY_DIAL);
    for (int i = 0; i < MAX_MEMORY_DIAL; ++i) {
        Check((book.m_records[i] != nullptr) == (i < book.m_nRecords));
        if (!book.m_records[i]) continue;
        const CMemoryDial& record = *book.m_records[i];
        const int32_t group = AtoiText(record.m_strGroup);
        Check(group >= 0 && group < MAX_GROUP);
        Check(group == 0 || !book.m_groupNames[group].first.empty());
        for (const std::string& number : record.m_strNumber) {
            // The dialled form holds dial characters only.
            for (const char c : DialledDigits(number)) {
                Check((c >= '0' && c <= '9') || c == '*' || c == '#');
            }
        }
    }
}
