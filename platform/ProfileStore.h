#pragma once
// The per-user profile as every front end sees it: integers and texts
// (UTF-8) filed by section and key. A missing entry, or one of another type,
// reads as the default the caller gives.

#include <string>

class ProfileStore {
public:
    virtual ~ProfileStore() = default;

    virtual int ReadInt(const std::string& section, const std::string& key,
                        int defaultValue) const = 0;
    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) const = 0;
    // False, with Problem() set, when the value could not be stored.
    virtual bool WriteInt(const std::string& section, const std::string& key, int value) = 0;
    virtual bool WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    // What went wrong with the last failed write: where, and the system's words.
    virtual std::string Problem() const = 0;
};
