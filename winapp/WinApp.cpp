#include "winapp/WinApp.h"

#include "app/HandsetStart.h"
#include "app/ProfileKeyTable.h"
#include "platform/Cp932.h"
#include "platform/UserDataFolder.h"

bool WinApp::OpenSkinFile(std::vector<UserMessage>& messages) {
    const StartSkin start =
        OpenStartSkin(m_skinFile, ReadProfile(*m_profile, ProfileKeys::SkinFile),
                      ProfileKeys::SkinFile.defaultValue, UserDataFile);
    m_strSkinFile = start.profilePath;
    m_strSkinFileInUse = start.inUse;
    messages = start.messages;
    return start.opened;
}

std::string WinApp::SkinRelativePath(const std::string& cp932Value) const {
    // In a path the byte 0x5C separates folders; it is no yen sign there.
    return ComposeSkinPath(m_strSkinFileInUse, Cp932ToUtf8(cp932Value, false));
}

std::vector<UserMessage> WinApp::LoadPhoneBook(const std::string& path) {
    m_strPhoneBookFile = path;
    if (path.empty()) {
        m_phoneBook.Clear();
        return {};
    }
    return PhoneBookOutcomeMessages(LoadPhoneBookFile(path, m_phoneBook));
}

std::string WinApp::SaveFileChoices() {
    const bool kept = WriteProfile(*m_profile, ProfileKeys::SkinFile, m_strSkinFile) &&
                      WriteProfile(*m_profile, ProfileKeys::PhoneBookFile, m_strPhoneBookFile);
    return kept ? std::string() : "The settings could not be saved: " + m_profile->Problem();
}
