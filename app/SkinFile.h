#pragma once
// The skin settings file: key-and-value lines read afresh from the first line
// on every lookup. The file stays open from start-up to shutdown.

#include <cstdint>
#include <cstdio>
#include <string>

// A skin's settings take a few kilobytes; no real one comes near this.
inline constexpr size_t kMaxSkinFileBytes = 1u << 20;

struct SkinRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

class SkinFile {
public:
    SkinFile() = default;
    ~SkinFile();
    SkinFile(const SkinFile&) = delete;
    SkinFile& operator=(const SkinFile&) = delete;

    // Opens for reading (others may not write it meanwhile where the platform
    // can say so). False when the file cannot be opened is no regular file (a
    // FIFO, a device, a folder) or is larger than kMaxSkinFileBytes; Problem() then names the file and the reason.
    bool Open(const std::string& path);
    const std::string& Problem() const { return m_problem; }
    // Takes over a stream already open for reading; Close() closes it.
    void Attach(std::FILE* file);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }

    // An absent key, a closed file or a read error gives "", 0, or all zeros.
    std::string GetSkinString(const std::string& key);
    int32_t GetSkinInt(const std::string& key);
    SkinRect GetSkinRect(const std::string& key);

private:
    FILE* m_file = nullptr;
    std::string m_problem;
};
