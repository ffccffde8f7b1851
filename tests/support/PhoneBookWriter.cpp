#include "PhoneBookWriter.h"

#include <fstream>

namespace {
constexpr uint32_t kOneByteLimit = 0xFF;    // lengths below fit in the first byte
constexpr uint32_t kTwoByteLimit = 0xFFFE;  // 0xFFFE and 0xFFFF are markers

LengthForm FormFor(uint64_t length, LengthForm asked) {
    if (asked == LengthForm::Shortest || asked == LengthForm::OneByte) {
        if (length < kOneByteLimit) return LengthForm::OneByte;
        asked = LengthForm::TwoByte;
    }
    if (asked == LengthForm::TwoByte && length < kTwoByteLimit) return LengthForm::TwoByte;
    return LengthForm::FourByte;
}

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}
}  // namespace

PhoneBookWriter& PhoneBookWriter::Int32(int32_t value) {
    PutLittleEndian(m_bytes, static_cast<uint32_t>(value), 4);
    return *this;
}

PhoneBookWriter& PhoneBookWriter::LengthPrefix(uint32_t length, LengthForm form) {
    switch (form) {
        case LengthForm::Shortest:
            return LengthPrefix(length, FormFor(length, form));
        case LengthForm::OneByte:
            PutLittleEndian(m_bytes, length, 1);
            break;
        case LengthForm::TwoByte:
            m_bytes.push_back('\xFF');
            PutLittleEndian(m_bytes, length, 2);
            break;
        case LengthForm::FourByte:
            m_bytes.append("\xFF\xFF\xFF");
            PutLittleEndian(m_bytes, length, 4);
            break;
    }
    return *this;
}

PhoneBookWriter& PhoneBookWriter::String(std::string_view bytes, LengthForm form) {
    LengthPrefix(static_cast<uint32_t>(bytes.size()), FormFor(bytes.size(), form));
    m_bytes.append(bytes);
    return *this;
}

PhoneBookWriter& PhoneBookWriter::WideString(std::u16string_view units, LengthForm form) {
    m_bytes.append("\xFF\xFE\xFF");
    LengthPrefix(static_cast<uint32_t>(units.size()), FormFor(units.size(), form));
    for (char16_t unit : units) PutLittleEndian(m_bytes, unit, 2);
    return *this;
}

PhoneBookWriter& PhoneBookWriter::Raw(std::string_view bytes) {
    m_bytes.append(bytes);
    return *this;
}

PhoneBookWriter& PhoneBookWriter::Record(const CMemoryDial& r) {
    String(r.m_bSecret ? "secret" : "").String(r.m_strIndex1).String(r.m_strIndex2);
    String(r.m_strReading);
    for (int i = 0; i < 10; ++i) String(r.m_strNumber[i]).String(r.m_strNumberAttr[i]);
    for (const std::string& item : r.m_strItem) String(item);
    return String(r.m_strExtra).String(r.m_strGroup).String(r.m_strName);
}

PhoneBookWriter& PhoneBookWriter::Group(const GroupName& group) {
    return String(group.first).String(group.second);
}

PhoneBookWriter& PhoneBookWriter::Truncate(size_t size) {
    if (size < m_bytes.size()) m_bytes.resize(size);
    return *this;
}

bool PhoneBookWriter::Save(const std::string& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(m_bytes.data(), static_cast<std::streamsize>(m_bytes.size()));
    return static_cast<bool>(out);
}

std::string PhoneBookBytes(const std::vector<CMemoryDial>& records,
                           const std::vector<GroupName>& groups) {
    PhoneBookWriter writer;
    writer.Int32(static_cast<int32_t>(records.size()));
    for (const CMemoryDial& record : records) writer.Record(record);
    writer.Int32(static_cast<int32_t>(groups.size()));
    for (const GroupName& group : groups) writer.Group(group);
    return writer.Bytes();
}
