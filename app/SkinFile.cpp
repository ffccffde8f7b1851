#include "app/SkinFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "platform/Atoi.h"
#include "platform/ReadableFile.h"

namespace {

constexpr int kEndOfLine = -2;
constexpr int kEndOfFile = -1;

// Hands out the bytes of the file line by line. The file is opened in binary
// mode, so a carriage return right before a line feed is dropped here; any
// other carriage return is an ordinary character.
class LineBytes {
public:
    explicit LineBytes(std::FILE* file) : m_file(file) {}

    // The next byte of the current line, kEndOfLine after its last byte, or
    // kEndOfFile when the file has no more bytes (or cannot be read).
    int Next() {
        // A file that grew past the bound since it was opened ends there.
        if (++m_read > kMaxSkinFileBytes) return kEndOfFile;
        const int c = std::getc(m_file);
        if (c == '\n') return kEndOfLine;
        if (c == EOF) return kEndOfFile;
        if (c == '\r') {
            const int after = std::getc(m_file);
            if (after == '\n') return kEndOfLine;
            if (after != EOF) std::ungetc(after, m_file);
        }
        return c;
    }

    bool Failed() const { return std::ferror(m_file) != 0; }

private:
    std::FILE* m_file;
    size_t m_read = 0;
};

bool EndsKeyPart(int c) {
    return c == '=' || c == ' ' || c < 0;
}

// Finds the first line, comments aside, whose key part is `key` and returns
// what follows the key part. Absent when no line matches or the file fails.
std::optional<std::string> FindValueText(std::FILE* file, const std::string& key) {
    if (file == nullptr) return std::nullopt;
    std::clearerr(file);
    if (std::fseek(file, 0, SEEK_SET) != 0) return std::nullopt;

    LineBytes bytes(file);
    for (;;) {
        int c = bytes.Next();
        if (c == kEndOfFile) return std::nullopt;  // also after a read error
        if (c != '#') {
            // Compare as we go so that long lines are never held in memory.
            size_t matched = 0;
            bool same = true;
            for (; !EndsKeyPart(c); c = bytes.Next()) {
                if (same && matched < key.size() && key[matched] == static_cast<char>(c)) {
                    ++matched;
                } else {
                    same = false;
                }
            }
            if (same && matched == key.size()) {
                std::string value;
                for (; c >= 0; c = bytes.Next()) value.push_back(static_cast<char>(c));
                if (bytes.Failed()) return std::nullopt;
                return value;
            }
        }
        while (c >= 0) c = bytes.Next();
        if (c == kEndOfFile) return std::nullopt;
    }
}

// The value proper: what follows the run of "=" and spaces after the key.
std::string_view SkipAssignment(std::string_view valueText) {
    const size_t start = valueText.find_first_not_of("= ");
    return start == std::string_view::npos ? std::string_view{} : valueText.substr(start);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

SkinFile::~SkinFile() {
    Close();
}

bool SkinFile::Open(const std::string& path) {
    Close();
    // Binary mode: line ends are handled by the reader, the same on every
    // platform. POSIX has no deny-write sharing, so a plain open shares reading.
    // Only a regular file is a settings file: a folder, a device or a FIFO is
    // never read (and never waited on).
    ReadableFile opened = OpenReadableFile(path);
    if (opened.file == nullptr) {
        m_problem = path + ": " + opened.reason;
        return false;
    }
    m_file = opened.file;
    // Every lookup reads the file from its start: one larger than any skin's
    // settings would hold the window up at each.
    if (opened.size > kMaxSkinFileBytes) {
        Close();
        m_problem = path + ": larger than " + std::to_string(kMaxSkinFileBytes >> 20) +
                    " MB, more than any skin settings file";
        return false;
    }
    return true;
}

void SkinFile::Attach(std::FILE* file) {
    Close();
    m_file = file;
}

void SkinFile::Close() {
    if (m_file != nullptr) std::fclose(m_file);
    m_file = nullptr;
    m_problem.clear();
}

std::string SkinFile::GetSkinString(const std::string& key) {
    const std::optional<std::string> valueText = FindValueText(m_file, key);
    if (!valueText) return {};
    return std::string(SkipAssignment(*valueText));
}

int32_t SkinFile::GetSkinInt(const std::string& key) {
    const std::optional<std::string> valueText = FindValueText(m_file, key);
    if (!valueText) return 0;
    const std::string_view value = SkipAssignment(*valueText);
    const size_t end = value.find_first_not_of("-0123456789");
    return AtoiText(value.substr(0, end));
}

SkinRect SkinFile::GetSkinRect(const std::string& key) {
    SkinRect rect;
    const std::optional<std::string> valueText = FindValueText(m_file, key);
    if (!valueText) return rect;
    // Anything but a digit separates the numbers, a minus sign included.
    std::string_view rest = *valueText;
    int32_t* const fields[] = {&rect.left, &rect.top, &rect.right, &rect.bottom};
    for (int32_t* field : fields) {
        size_t i = 0;
        while (i < rest.size() && !IsDigit(rest[i])) ++i;
        size_t end = i;
        while (end < rest.size() && IsDigit(rest[end])) ++end;
        *field = AtoiText(rest.substr(i, end - i));
        rest.remove_prefix(end);
    }
    return rect;
}
