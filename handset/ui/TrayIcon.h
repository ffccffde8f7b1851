#pragma once
// The handset window's icon in the notification area. Where the desktop has
// no notification area the icon is simply not added and nothing is said.

#include <QIcon>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

class CTrayIcon : public QObject {
    Q_OBJECT

public:
    explicit CTrayIcon(QObject* parent = nullptr);
    ~CTrayIcon() override;

    // Adds the icon with its tip; false when there is no notification area.
    bool Add(const QIcon& icon, const QString& tip);
    // Takes the icon away again; nothing when it was never added.
    void Remove();
    bool IsAdded() const { return m_icon != nullptr; }
    // The tip, kept for when the icon is added if it is not there now.
    void SetTip(const QString& tip);
    const QString& Tip() const { return m_tip; }

signals:
    // A click on the icon, as the desktop reports it.
    void Activated(QSystemTrayIcon::ActivationReason reason);

private:
    QSystemTrayIcon* m_icon = nullptr;
    QString m_tip;
};
