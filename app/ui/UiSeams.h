#pragma once
// Modal message boxes and file dialogs go through these two seams so that
// tests can answer them ahead of time.

#include <QString>
#include <QStringList>
#include <optional>

#include "app/UserMessage.h"

class QWidget;

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A message box with one OK button and the program's caption.
    virtual void Show(QWidget* parent, const QString& text, MessageIcon icon) = 0;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The file-open dialog; nullopt when the user cancels. `filters` are Qt
    // filter entries such as "INI Files (*.ini)".
    virtual std::optional<QString> GetOpenFileName(QWidget* parent, const QString& defaultSuffix,
                                                   const QStringList& filters) = 0;
    // The file-save dialog, asking before replacing a file; nullopt when the
    // user cancels.
    virtual std::optional<QString> GetSaveFileName(QWidget* parent, const QString& defaultSuffix,
                                                   const QStringList& filters) = 0;
    // The same with a file name filled in, and the file type the user chose
    // (an index into `filters`) in `chosenFilter`.
    virtual std::optional<QString> GetSaveFileNameAs(QWidget* parent, const QString& defaultSuffix,
                                                     const QStringList& filters,
                                                     const QString& suggestedName,
                                                     int& chosenFilter) {
        (void)suggestedName;
        chosenFilter = 0;
        return GetSaveFileName(parent, defaultSuffix, filters);
    }
};

namespace UiSeams {
MessageBoxes& Messages();
FileDialogs& Files();
// Replace for tests; nullptr restores the real dialogs. Not owned.
void SetMessages(MessageBoxes* messages);
void SetFiles(FileDialogs* files);
// The caption of the program's windows that have no name of their own.
QString WindowCaption();
// The application name, under which the profile is filed: the executable's
// base name ("telvoxa").
QString ApplicationName();
}  // namespace UiSeams
