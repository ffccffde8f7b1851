// What the session reports to the window and asks of it. The controller
// calls these on the window's thread; the session waits for the questions'
// answers on its own.

#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QWindow>
#include <memory>

#include "app/ui/DialLinkTexts.h"
#include "app/ui/SettingsDlg.h"
#include "app/ui/UiSeams.h"
#include "handset/ui/HandsetDlg.h"
#include "phonebook/ui/PhoneBookDlg.h"
#include "platform/Cp932.h"

void CHandsetDlg::ShowSnapshot(const HandsetSnapshot& snapshot) {
    m_shown = snapshot;
    const std::string* texts[4] = {&snapshot.display1, &snapshot.display2, &snapshot.display3,
                                   &snapshot.antenna};
    for (int i = 0; i < 4; ++i) {
        const QString text = QString::fromStdString(Cp932ToUtf8(*texts[i]));
        if (m_pText[i]->text() != text) m_pText[i]->setText(text);
    }
    if (snapshot.picture != m_nPictureShown) SetPicture(snapshot.picture);
    if (snapshot.repaint) update();
}

void CHandsetDlg::BringToFront() {
    // Shown in its normal state, in front of everything for the rest of the
    // run, where it was. The flag goes to the existing native window: setting
    // it on the widget would make a new one (and hide this one meanwhile).
    if (!(windowFlags() & Qt::WindowStaysOnTopHint)) {
        const Qt::WindowFlags flags = windowFlags() | Qt::WindowStaysOnTopHint;
        overrideWindowFlags(flags);
        if (QWindow* native = windowHandle()) native->setFlags(flags);
    }
    showNormal();
    raise();
    // A Wayland compositor raises nothing on the program's own word.
    AskForAttention();
}

void CHandsetDlg::EndProgram() {
    EndDialog(IDOK);
}

std::optional<ChosenEntry> CHandsetDlg::ChooseFromPhoneBook() {
    // The dialog takes the mouse: whatever press began a drag (a
    // double-click's second press too) is over.
    DropDrag();
    CPhoneBookDlg dialog(this);
    const CHandsetApp* app = TheApp();
    if (app) {
        dialog.m_pRecords = app->m_phoneBook.m_records.data();
        dialog.m_pGroupNames = app->m_phoneBook.m_groupNames.data();
        dialog.m_nCount = app->m_phoneBook.m_nRecords;
    }
    dialog.m_nSelected = -1;
    const int result = dialog.exec();
    DropDrag();
    if (result != QDialog::Accepted) return std::nullopt;
    const int chosen = dialog.m_nSelected;
    const CMemoryDial* record = app && chosen >= 0 && chosen < app->m_phoneBook.m_nRecords
                                    ? app->m_phoneBook.m_records[size_t(chosen)].get()
                                    : nullptr;
    if (!record) return std::nullopt;
    return ChosenEntry{record->m_strName, record->m_strNumber[0]};
}

std::optional<ConnectionSettings> CHandsetDlg::AskSettings() {
    CSettingsDlg dialog(this, true);
    if (dialog.exec() == CSettingsDlg::IDQUIT) return std::nullopt;
    m_settings.cable = dialog.m_nCable;
    m_settings.port = dialog.m_nPort;
    m_settings.numdisp = dialog.m_bNumDisp ? 1 : 0;
    m_settings.interval = dialog.m_nInterval;
    return SettingsWithPorts();
}

void CHandsetDlg::ShowMessage(const std::string& text) {
    UiSeams::Messages().Show(this, QString::fromStdString(text), MessageIcon::None);
}

void CHandsetDlg::ShowLinkedNumber(const std::string& number) {
    m_controller->ShowLinkedNumber(number);
}

void CHandsetDlg::ShowLinkWhileBusy(const std::string& number) {
    // Not modal: the call and its monitoring go on meanwhile.
    auto* box = new QMessageBox(QMessageBox::Information, windowTitle(), LinkWhileBusyText(number),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("linkWhileBusy"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}
