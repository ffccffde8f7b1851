#include "winapp/WinApp.h"

#include "app/ProfileKeyTable.h"
#include "platform/Cp932.h"

bool WinApp::OpenSkinFile() {
    m_strSkinFile = ReadProfile(*m_profile, ProfileKeys::SkinFile);
    if (m_skinFile.Open(m_strSkinFile)) return true;
    // A stored skin that no longer opens gives way to the default one,
    // which is also what the profile keeps from now on.
    m_skinProblem = m_skinFile.Problem();
    m_strSkinFile = ProfileKeys::SkinFile.defaultValue;
    if (m_skinFile.Open(m_strSkinFile)) return true;
    m_skinProblem = m_skinFile.Problem();
    return false;
}

std::string WinApp::SkinRelativePath(const std::string& cp932Value) const {
    // In a path the byte 0x5C separates folders; it is no yen sign there.
    return ComposeSkinPath(m_strSkinFile, Cp932ToUtf8(cp932Value, false));
}

std::string WinApp::LoadPhoneBook(const std::string& path) {
    m_strPhoneBookFile = path;
    if (path.empty()) {
        m_phoneBook.Clear();
        return {};
    }
    const PhoneBookLoadOutcome outcome = LoadPhoneBookFile(path, m_phoneBook);
    switch (outcome.result) {
        case PhoneBookLoad::Loaded:
            return {};
        case PhoneBookLoad::OpenError:
            return "mdd File Open Error !!\n" + outcome.description;
        case PhoneBookLoad::CountError:
            return "Number of Memory Dial Error !!\n" + outcome.description;
        default:
            return "File Exception !!\n" + outcome.description;
    }
}

std::string WinApp::SaveFileChoices() {
    const bool kept = WriteProfile(*m_profile, ProfileKeys::SkinFile, m_strSkinFile) &&
                      WriteProfile(*m_profile, ProfileKeys::PhoneBookFile, m_strPhoneBookFile);
    return kept ? std::string() : "The settings could not be saved: " + m_profile->Problem();
}
