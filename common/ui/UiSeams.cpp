#include "common/ui/UiSeams.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <algorithm>

#include "common/ui/AboutDlg.h"

namespace {

class RealMessageBoxes final : public MessageBoxes {
public:
    void Show(QWidget* parent, const QString& text, MessageIcon icon) override {
        QMessageBox box(parent);
        // Without a parent it belongs to no window of this program: it may
        // have to show over a window kept on top, such as another instance's
        // handset after a ring ("Already Running !!").
        if (!parent) box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.setWindowTitle(UiSeams::WindowCaption());
        box.setText(text);
        box.setStandardButtons(QMessageBox::Ok);
        switch (icon) {
            case MessageIcon::None:
                box.setIcon(QMessageBox::NoIcon);
                break;
            case MessageIcon::Information:
                box.setIcon(QMessageBox::Information);
                break;
            case MessageIcon::Stop:
                box.setIcon(QMessageBox::Critical);
                break;
        }
        box.exec();
    }
};

std::optional<QString> RunFileDialog(QWidget* parent, QFileDialog::AcceptMode acceptMode,
                                     QFileDialog::FileMode fileMode, const QString& defaultSuffix,
                                     const QStringList& filters, const QString& suggestedName = {},
                                     int* chosenFilter = nullptr) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(acceptMode);
    dialog.setFileMode(fileMode);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setNameFilters(filters);
    if (!suggestedName.isEmpty()) dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    if (chosenFilter)
        *chosenFilter = std::max(0, int(filters.indexOf(dialog.selectedNameFilter())));
    return QFileInfo(dialog.selectedFiles().first()).absoluteFilePath();
}

class RealFileDialogs final : public FileDialogs {
public:
    std::optional<QString> GetOpenFileName(QWidget* parent, const QString& defaultSuffix,
                                           const QStringList& filters) override {
        return RunFileDialog(parent, QFileDialog::AcceptOpen, QFileDialog::ExistingFile,
                             defaultSuffix, filters);
    }
    std::optional<QString> GetSaveFileName(QWidget* parent, const QString& defaultSuffix,
                                           const QStringList& filters) override {
        return RunFileDialog(parent, QFileDialog::AcceptSave, QFileDialog::AnyFile, defaultSuffix,
                             filters);
    }
    std::optional<QString> GetSaveFileNameAs(QWidget* parent, const QString& defaultSuffix,
                                             const QStringList& filters,
                                             const QString& suggestedName,
                                             int& chosenFilter) override {
        return RunFileDialog(parent, QFileDialog::AcceptSave, QFileDialog::AnyFile, defaultSuffix,
                             filters, suggestedName, &chosenFilter);
    }
};

RealMessageBoxes g_realMessages;
RealFileDialogs g_realFiles;
MessageBoxes* g_messages = &g_realMessages;
FileDialogs* g_files = &g_realFiles;

}  // namespace

namespace UiSeams {

MessageBoxes& Messages() {
    return *g_messages;
}
FileDialogs& Files() {
    return *g_files;
}
void SetMessages(MessageBoxes* messages) {
    g_messages = messages ? messages : &g_realMessages;
}
void SetFiles(FileDialogs* files) {
    g_files = files ? files : &g_realFiles;
}

QString WindowCaption() {
    return QString::fromUtf8(kProductName);
}

QString ApplicationName() {
    const QString path = QCoreApplication::applicationFilePath();
    const QString name = QFileInfo(path).completeBaseName();
    return name.isEmpty() ? QStringLiteral("telvoxa") : name;
}

}  // namespace UiSeams
