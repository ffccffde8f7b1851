#pragma once
// Reads the values of a memory dial data file: little-endian 32-bit integers
// and archived strings. Every length read from the data is checked against
// what is left before anything is allocated for it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

enum class ArchiveStatus {
    Ok,
    EndOfFile,  // the data ended early, or a length claims more bytes than remain
    BadLength,  // a length prefix that no archived string can have
    ReadError,  // the file system failed
};

class ArchiveReader {
public:
    // Reads from the current position of an open stream, which stays the caller's.
    explicit ArchiveReader(std::FILE* file);
    // Reads from a buffer that must outlive the reader.
    ArchiveReader(const void* data, size_t size);

    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // Each read returns false once anything has failed; the first failure is
    // kept in Status() and every later read fails too.
    bool ReadInt32(int32_t& value);
    // Narrow strings come as stored; wide ones are converted to code page 932.
    bool ReadString(std::string& text);

    ArchiveStatus Status() const { return m_status; }

private:
    bool ReadExact(void* out, size_t count);
    bool ReadByte(uint8_t& value);
    bool ReadUInt16(uint16_t& value);
    bool ReadUInt32(uint32_t& value);
    // The length that follows a string's first byte; `wide` reports the
    // 0xFF 0xFFFE marker, after which the length counts 16-bit units.
    bool ReadLength(uint64_t& length, bool& wide);
    bool ReadPayload(uint64_t count, std::string& bytes);
    bool FitsInRemaining(uint64_t count);
    std::optional<uint64_t> QueryFileSize();
    bool Fail(ArchiveStatus status);
    bool InMemory() const { return m_file == nullptr; }

    std::FILE* m_file = nullptr;
    const unsigned char* m_data = nullptr;
    size_t m_dataSize = 0;
    uint64_t m_position = 0;
    // Where the file ends, when the stream can tell; absent for pipes and the like.
    std::optional<uint64_t> m_fileEnd;
    ArchiveStatus m_status = ArchiveStatus::Ok;
};

// The description of a failed read shown to the user, naming the file.
std::string DescribeArchiveFailure(ArchiveStatus status, const std::string& fileName);
