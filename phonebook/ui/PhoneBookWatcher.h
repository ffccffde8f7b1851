#pragma once
// Watches the loaded phone book file and says when it has changed on disk (an
// address book exported again), once the writing has settled: changes are
// gathered until the file has been quiet for a second. A file replaced by a
// new one (as most programs save) is followed to the new one.

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class PhoneBookWatcher : public QObject {
    Q_OBJECT

public:
    // `reload` runs on this thread once the file has settled; it runs later
    // instead while a modal dialog is open (the phone book dialog shows the
    // book that is loaded).
    explicit PhoneBookWatcher(std::function<void()> reload, QObject* parent = nullptr);

    // Watches `path` from now on; an empty path watches nothing.
    void Watch(const QString& path);
    const QString& Path() const { return m_path; }

    // How long the file must stay quiet; 1 s unless a test shortens it.
    void SetSettleTime(int milliseconds) { m_settle.setInterval(milliseconds); }

private:
    void OnChanged();
    void OnSettled();
    void AddPaths();

    std::function<void()> m_reload;
    QString m_path;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};
