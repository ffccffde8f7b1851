#include "handset/ui/TrayIcon.h"

CTrayIcon::CTrayIcon(QObject* parent) : QObject(parent) {}

CTrayIcon::~CTrayIcon() {
    Remove();
}

bool CTrayIcon::Add(const QIcon& icon, const QString& tip) {
    m_tip = tip;
    if (m_icon) {
        m_icon->setToolTip(tip);
        return true;
    }
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    m_icon = new QSystemTrayIcon(icon, this);
    m_icon->setToolTip(tip);
    // No context menu of its own: a right click arrives as Context and the
    // owner shows its menu itself.
    connect(m_icon, &QSystemTrayIcon::activated, this, &CTrayIcon::Activated);
    m_icon->show();
    return true;
}

void CTrayIcon::SetTip(const QString& tip) {
    m_tip = tip;
    if (m_icon) m_icon->setToolTip(tip);
}

void CTrayIcon::Remove() {
    if (!m_icon) return;
    m_icon->hide();
    delete m_icon;
    m_icon = nullptr;
}
