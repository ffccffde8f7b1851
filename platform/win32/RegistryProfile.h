#pragma once
// The per-user profile in the registry, laid out as the Windows program has
// always kept it: HKEY_CURRENT_USER\<root>\<section>, an integer as a
// REG_DWORD value and a text as a REG_SZ value named after its key.

#include <string>

#include "platform/ProfileStore.h"

inline constexpr const char* TELVOXA_PROFILE_ROOT = "Software\\Orvel Applications\\Telvoxa";

class RegistryProfile final : public ProfileStore {
public:
    // Tests give a root of their own.
    explicit RegistryProfile(std::string root = TELVOXA_PROFILE_ROOT);

    int ReadInt(const std::string& section, const std::string& key,
                int defaultValue) const override;
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const override;
    bool WriteInt(const std::string& section, const std::string& key, int value) override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    std::string Problem() const override { return m_problem; }

    const std::string& Root() const { return m_root; }

private:
    bool Write(const std::string& section, const std::string& key, unsigned long type,
               const void* data, unsigned long size);

    std::string m_root;
    std::string m_problem;
};
