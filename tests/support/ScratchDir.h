#pragma once
// A private temporary directory for files written by a test, removed with
// everything in it when the object goes.

#include <string>
#include <string_view>

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string PathOf(std::string_view name) const;
    // Writes `bytes` to the file `name` in the directory and returns its path.
    std::string Write(std::string_view name, std::string_view bytes) const;
    // The bytes of the file `name` in the directory; empty when there is none.
    std::string Read(std::string_view name) const;

private:
    std::string m_path;
};

// The bytes of the file at `path`, anywhere; empty when there is none.
std::string ReadAll(const std::string& path);
