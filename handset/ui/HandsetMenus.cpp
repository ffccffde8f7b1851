// The handset window's pop-up menus and their commands, the tray icon, and
// the control pad that F12 opens and closes.

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>

#include "app/ui/AboutDlg.h"
#include "app/ui/PhoneBookTexts.h"
#include "app/ui/UiSeams.h"
#include "handset/MenuCommands.h"
#include "handset/SettingsSummary.h"
#include "handset/ui/HandsetDlg.h"
#include "handset/ui/TrayIcon.h"
#include "history/ui/CallHistoryRun.h"
#include "textpad/ui/ControlPadDlg.h"

namespace {

// Icon 128 in the sizes a notification area may ask for.
QIcon TrayImage() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/128.png"), QSize(64, 64));
    icon.addFile(QStringLiteral(":/icons/128-32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icons/128-16.png"), QSize(16, 16));
    return icon;
}

}  // namespace

void CHandsetDlg::AddTrayIcon() {
    if (!m_pTrayIcon) {
        m_pTrayIcon = new CTrayIcon(this);
        connect(m_pTrayIcon, &CTrayIcon::Activated, this, &CHandsetDlg::OnTrayNotify);
    }
    m_pTrayIcon->Add(TrayImage(), QString::fromStdString(CallHistoryTip()));
}

void CHandsetDlg::UpdateTrayTip() {
    if (m_pTrayIcon) m_pTrayIcon->SetTip(QString::fromStdString(CallHistoryTip()));
}

void CHandsetDlg::RemoveTrayIcon() {
    if (m_pTrayIcon) m_pTrayIcon->Remove();
}

bool CHandsetDlg::IsTrayIconAdded() const {
    return m_pTrayIcon && m_pTrayIcon->IsAdded();
}

void CHandsetDlg::OnTrayNotify(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            showNormal();
            raise();
            activateWindow();
            break;
        case QSystemTrayIcon::Context:
            // The icon stays clickable while one of the program's modal
            // dialogs is up; its menu would run a second settings loop or
            // dialog inside the first, so it waits until that has closed.
            if (QApplication::activeModalWidget()) break;
            // Hidden until the next left click on the icon or an incoming
            // call; the monitoring goes on meanwhile.
            raise();
            activateWindow();
            hide();
            TrackMenuAndRun(IDR_TRAY_MENU, QCursor::pos());
            break;
        default:
            break;
    }
}

void CHandsetDlg::OnRButtonDown(const QPoint& clientPos) {
    // Clicks while the question is on its way open no second menu.
    if (m_bMenuAsked) return;
    m_bMenuAsked = true;
    const QPoint at = mapToGlobal(clientPos);
    m_controller->AskIdle([this, at](bool idle) {
        m_bMenuAsked = false;
        if (idle) TrackMenuAndRun(IDR_SKIN_MENU, at);
    });
}

std::unique_ptr<QMenu> CHandsetDlg::LoadMenu(int resourceId) {
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QString::number(resourceId));
    for (const MenuItem& item : MenuItems(resourceId)) {
        if (item.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromUtf8(item.text));
        action->setData(item.id);
        action->setObjectName(QString::number(item.id));
        // The command's own name says .mdd only; its tip names every kind read.
        if (item.id == ID_CHANGE_PHONEBOOK) {
            action->setStatusTip(LoadPhoneBookTip());
            action->setToolTip(LoadPhoneBookTip());
        }
    }
    menu->setToolTipsVisible(true);
    return menu;
}

void CHandsetDlg::TrackMenuAndRun(int resourceId, const QPoint& globalPos) {
    StopMonitor();
    const std::unique_ptr<QMenu> menu = LoadMenu(resourceId);
    QAction* chosen = m_trackMenu ? m_trackMenu(*menu, globalPos) : menu->exec(globalPos);
    const int id = chosen ? chosen->data().toInt() : 0;
    StartMonitor();
    // The command arrives once the menu has gone, with the timer running.
    if (id != 0) OnCommand(id);
}

void CHandsetDlg::OnCommand(int id) {
    if (id == ID_APP_EXIT_OK) {
        RequestEnd();
        return;
    }
    // Nothing may disturb a call: the session's state after what was
    // already posted decides, not the one last shown.
    m_controller->AskIdle([this, id](bool idle) {
        if (idle) RunCommand(id);
    });
}

void CHandsetDlg::RunCommand(int id) {
    CHandsetApp* app = TheApp();
    switch (id) {
        case ID_SETTINGS:
            OnSettings();
            break;
        case ID_CHANGE_PHONEBOOK:
            // The file dialog leaves the timer running.
            if (app) app->LoadPhoneBook(QString());
            PhoneBookChanged();
            break;
        case ID_CHANGE_SKIN:
            if (app) app->ChooseSkinFile();
            break;
        case ID_SHOW_SETTINGS:
            ShowCurrentSettings();
            break;
        case ID_APP_ABOUT:
            OnAppAbout();
            break;
        case ID_CALL_HISTORY: {
            StopMonitor();
            const std::optional<ChosenCall> chosen = RunCallHistory(this);
            // As with a phone book entry: the send button dials it.
            if (chosen) {
                Post([entry = ChosenEntry{chosen->name, chosen->number}](HandsetSession& session) {
                    session.ShowChosenEntry(entry);
                });
            }
            // The dialog has marked the missed calls seen.
            UpdateTrayTip();
            StartMonitor();
            break;
        }
        default:
            break;
    }
}

void CHandsetDlg::ShowCurrentSettings() {
    StopMonitor();
    CurrentSettings settings;
    settings.port = m_settings.port;
    settings.cable = m_settings.cable;
    if (const CHandsetApp* app = TheApp()) {
        settings.skinFile = app->m_strSkinFile.toStdString();
        settings.bitmapFile = app->m_strBitmapFile.toStdString();
        settings.phoneBookFile = app->m_strPhoneBookFile.toStdString();
    }
    UiSeams::Messages().Show(this, QString::fromStdString(CurrentSettingsText(settings)),
                             MessageIcon::Information);
    StartMonitor();
}

void CHandsetDlg::OnAppAbout() {
    StopMonitor();
    CAboutDlg about(this);
    about.m_strVersion = VersionText();
    about.exec();
    StartMonitor();
}

void CHandsetDlg::TogglePad() {
    if (m_pPad && !m_pPad->IsDestroyed()) {
        const bool shown = m_pPad->isVisible();
        // Closing saves the position and clears m_pPad through Closed().
        m_pPad->DestroyWindow();
        m_pPad = nullptr;
        if (shown) return;
        // A pad that was there but not on show gives way to a new one, at
        // the position it has just saved.
    }
    m_pPad = nullptr;
    auto* pad = new CControlPadDlg(this);
    pad->m_sendKey = [this](const std::string& text) {
        Post([text](HandsetSession& session) { session.SendKey(text); });
    };
    connect(pad, &CControlPadDlg::Closed, this, [this, pad] {
        if (m_pPad == pad) m_pPad = nullptr;
    });
    m_pPad = pad;
    pad->show();
}

void CHandsetDlg::DeletePads() {
    m_pPad = nullptr;
    // Whatever pad is left goes without saving its position, as it would
    // with its owner window.
    const auto pads = findChildren<CControlPadDlg*>(Qt::FindDirectChildrenOnly);
    for (CControlPadDlg* pad : pads) delete pad;
}

void CHandsetDlg::OnSettings() {
    // The session checks the call state itself: the one shown may be a
    // tick behind.
    Post([](HandsetSession& session) { session.OnSettings(); });
}

CControlPadDlg* CHandsetDlg::Pad() const {
    return m_pPad;
}
