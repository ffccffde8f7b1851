#pragma once
// What the Windows program holds for its whole run and hands to its windows:
// the profile, the open skin settings file with the paths it names, and the
// loaded phone book. Paths are UTF-8.

#include <memory>
#include <string>
#include <vector>

#include "app/SkinFile.h"
#include "app/UserMessage.h"
#include "handset/SkinDefinition.h"
#include "phonebook/PhoneBook.h"
#include "platform/ProfileStore.h"

class WinApp final : public SkinLookup {
public:
    explicit WinApp(std::unique_ptr<ProfileStore> profile) : m_profile(std::move(profile)) {}

    ProfileStore& Profile() { return *m_profile; }

    // The skin settings file: the stored one, else "default.ini" (beside the
    // program or in the data folder). False when neither opens; `messages`
    // then, and for a stored one that was refused, say why.
    bool OpenSkinFile(std::vector<UserMessage>& messages);
    // A file named in the skin settings file, beside it.
    std::string SkinRelativePath(const std::string& cp932Value) const;
    std::string GetSkinString(const std::string& key) override {
        return m_skinFile.GetSkinString(key);
    }
    int32_t GetSkinInt(const std::string& key) override { return m_skinFile.GetSkinInt(key); }
    SkinRect GetSkinRect(const std::string& key) override { return m_skinFile.GetSkinRect(key); }

    // The phone book at `path` (UTF-8) replaces the loaded one; what the
    // user is to be told when it did not load whole.
    std::vector<UserMessage> LoadPhoneBook(const std::string& path);
    const PhoneBook& Book() const { return m_phoneBook; }

    // Writes the skin and phone book paths back; the message when the
    // profile could not keep them, else empty.
    std::string SaveFileChoices();

    // What goes back into the profile, and the path that opened.
    std::string m_strSkinFile;
    std::string m_strSkinFileInUse;
    std::string m_strBitmapFile;
    std::string m_strPictureFile;
    std::string m_strPhoneBookFile;

private:
    std::unique_ptr<ProfileStore> m_profile;
    SkinFile m_skinFile;
    PhoneBook m_phoneBook;
};
