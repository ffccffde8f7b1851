#pragma once
// What the handset window needs of the program that runs it: the skin
// settings file in use and its default, the phone book, the files named in
// the current-settings message, and the commands that change them.

#include <QString>
#include <string>

#include "handset/SkinDefinition.h"
#include "phonebook/PhoneBook.h"

class HandsetHost {
public:
    virtual ~HandsetHost() = default;

    // The skin settings file in use.
    virtual SkinLookup& Skin() = 0;
    // A file named in the skin settings file (code page 932), in its folder.
    virtual QString SkinRelativePath(const std::string& cp932Value) const = 0;
    // Opens the default skin settings file for this run in place of the one
    // whose bitmap failed; false when that is the one in use or it does not open.
    virtual bool UseDefaultSkin() = 0;
    // The skin bitmap and the picture the window shows (empty: none).
    virtual void SetBitmapFile(const QString& path) = 0;
    virtual void SetPictureFile(const QString& path) = 0;
    // As the current-settings message names them.
    virtual QString ChosenSkinFile() const = 0;
    virtual QString BitmapFileInUse() const = 0;
    virtual QString PhoneBookFileInUse() const = 0;

    // The phone book in use.
    virtual const PhoneBook& Book() const = 0;
    // An empty path asks for the file; failures are reported by the host.
    virtual void LoadPhoneBook(const QString& path) = 0;
    // Lets the user choose another skin settings file for the next start.
    virtual void ChooseSkinFile() = 0;
    // The read-me file, with the desktop's viewer.
    virtual void ShowHelp() = 0;
};
