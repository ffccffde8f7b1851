#include "phonebook/ArchiveReader.h"

#include <algorithm>
#include <cstring>

#include "platform/Cp932.h"

namespace {
// Without a known file end, a long string is read in steps of this size, so
// what is allocated never runs far ahead of the bytes actually present.
constexpr size_t kReadStep = 64 * 1024;

constexpr uint16_t kWideMarker = 0xFFFE;
constexpr uint16_t kLongLength = 0xFFFF;
}  // namespace

ArchiveReader::ArchiveReader(std::FILE* file) : m_file(file) {
    m_fileEnd = QueryFileSize();
}

ArchiveReader::ArchiveReader(const void* data, size_t size)
    : m_data(static_cast<const unsigned char*>(data)), m_dataSize(size) {}

std::optional<uint64_t> ArchiveReader::QueryFileSize() {
    const long here = std::ftell(m_file);
    if (here < 0 || std::fseek(m_file, 0, SEEK_END) != 0) return std::nullopt;
    const long end = std::ftell(m_file);
    if (std::fseek(m_file, here, SEEK_SET) != 0) {
        Fail(ArchiveStatus::ReadError);
        return std::nullopt;
    }
    if (end < here) return std::nullopt;
    m_position = static_cast<uint64_t>(here);
    return static_cast<uint64_t>(end);
}

bool ArchiveReader::Fail(ArchiveStatus status) {
    if (m_status == ArchiveStatus::Ok) m_status = status;
    return false;
}

bool ArchiveReader::ReadExact(void* out, size_t count) {
    if (m_status != ArchiveStatus::Ok) return false;
    if (InMemory()) {
        if (m_dataSize - m_position < count) return Fail(ArchiveStatus::EndOfFile);
        if (count > 0) std::memcpy(out, m_data + m_position, count);
        m_position += count;
        return true;
    }
    const size_t got = std::fread(out, 1, count, m_file);
    m_position += got;
    if (got == count) return true;
    return Fail(std::ferror(m_file) ? ArchiveStatus::ReadError : ArchiveStatus::EndOfFile);
}

bool ArchiveReader::ReadByte(uint8_t& value) {
    return ReadExact(&value, 1);
}

bool ArchiveReader::ReadUInt16(uint16_t& value) {
    unsigned char b[2];
    if (!ReadExact(b, sizeof b)) return false;
    value = static_cast<uint16_t>(b[0] | (b[1] << 8));
    return true;
}

bool ArchiveReader::ReadUInt32(uint32_t& value) {
    unsigned char b[4];
    if (!ReadExact(b, sizeof b)) return false;
    value =
        uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
    return true;
}

bool ArchiveReader::ReadInt32(int32_t& value) {
    uint32_t raw = 0;
    if (!ReadUInt32(raw)) return false;
    value = static_cast<int32_t>(raw);
    return true;
}

bool ArchiveReader::ReadLength(uint64_t& length, bool& wide) {
    uint8_t first = 0;
    if (!ReadByte(first)) return false;
    if (first < 0xFF) {
        length = first;
        return true;
    }
    uint16_t second = 0;
    if (!ReadUInt16(second)) return false;
    if (second == kWideMarker) {
        // The wide marker comes once, before the length proper.
        if (wide) return Fail(ArchiveStatus::BadLength);
        wide = true;
        return ReadLength(length, wide);
    }
    if (second < kLongLength) {
        length = second;
        return true;
    }
    uint32_t full = 0;
    if (!ReadUInt32(full)) return false;
    length = full;
    return true;
}

bool ArchiveReader::FitsInRemaining(uint64_t count) {
    if (InMemory()) return count <= m_dataSize - m_position;
    if (!m_fileEnd) return true;  // read step by step instead
    if (m_position <= *m_fileEnd && count <= *m_fileEnd - m_position) return true;
    // The file may have grown since it was opened: look once more before refusing.
    m_fileEnd = QueryFileSize();
    return !m_fileEnd || (m_position <= *m_fileEnd && count <= *m_fileEnd - m_position);
}

bool ArchiveReader::ReadPayload(uint64_t count, std::string& bytes) {
    bytes.clear();
    if (!FitsInRemaining(count)) return Fail(ArchiveStatus::EndOfFile);
    const bool endKnown = InMemory() || m_fileEnd.has_value();
    while (count > 0) {
        const size_t step = endKnown ? static_cast<size_t>(count)
                                     : static_cast<size_t>(std::min<uint64_t>(count, kReadStep));
        const size_t done = bytes.size();
        bytes.resize(done + step);
        if (!ReadExact(bytes.data() + done, step)) {
            bytes.clear();
            return false;
        }
        count -= step;
    }
    return true;
}

bool ArchiveReader::ReadString(std::string& text) {
    text.clear();
    uint64_t length = 0;
    bool wide = false;
    if (!ReadLength(length, wide)) return false;
    if (!wide) return ReadPayload(length, text);

    std::string raw;
    if (!ReadPayload(length * 2, raw)) return false;
    std::u16string units(static_cast<size_t>(length), u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                         (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
    }
    text = Utf16ToCp932(units);
    return true;
}

std::string DescribeArchiveFailure(ArchiveStatus status, const std::string& fileName) {
    switch (status) {
        case ArchiveStatus::Ok:
            break;
        case ArchiveStatus::EndOfFile:
            return "Attempted to read past the end of " + fileName + ".";
        case ArchiveStatus::BadLength:
            return "An invalid length prefix was found while reading " + fileName + ".";
        case ArchiveStatus::ReadError:
            break;
    }
    return "An unexpected error occurred while reading " + fileName + ".";
}
