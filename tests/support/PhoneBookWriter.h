#pragma once
// Writes memory dial data files byte by byte: whole books for tests, the
// benchmark and the demo, and deliberately broken ones.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "phonebook/MemoryDial.h"
#include "phonebook/PhoneBook.h"

// How a length is stored: after one byte, after 0xFF as 16 bits, or after
// 0xFF 0xFFFF as 32 bits.
enum class LengthForm { Shortest, OneByte, TwoByte, FourByte };

class PhoneBookWriter {
public:
    PhoneBookWriter& Int32(int32_t value);
    // A narrow text. A form too small for the length gives way to the next larger one.
    PhoneBookWriter& String(std::string_view bytes, LengthForm form = LengthForm::Shortest);
    // A wide text: 0xFF 0xFFFE, the number of 16-bit units, then the units.
    PhoneBookWriter& WideString(std::u16string_view units, LengthForm form = LengthForm::Shortest);
    // Only a length in exactly the given form, with nothing after it.
    PhoneBookWriter& LengthPrefix(uint32_t length, LengthForm form);
    PhoneBookWriter& Raw(std::string_view bytes);
    // The 37 fields of a record; a secret one gets the marker "secret".
    PhoneBookWriter& Record(const CMemoryDial& record);
    PhoneBookWriter& Group(const GroupName& group);

    const std::string& Bytes() const { return m_bytes; }
    // Cuts the file short, as a broken copy would be.
    PhoneBookWriter& Truncate(size_t size);
    bool Save(const std::string& path) const;

private:
    std::string m_bytes;
};

// A complete file: the counts, the records and the groups.
std::string PhoneBookBytes(const std::vector<CMemoryDial>& records,
                           const std::vector<GroupName>& groups);
