#include "phonebook/ui/PhoneBookWatcher.h"

#include <QApplication>
#include <QFileInfo>

namespace {
constexpr int kSettleMilliseconds = 1000;
}

PhoneBookWatcher::PhoneBookWatcher(std::function<void()> reload, QObject* parent)
    : QObject(parent), m_reload(std::move(reload)) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, &PhoneBookWatcher::OnSettled);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &PhoneBookWatcher::OnChanged);
    // The folder tells when a replaced or removed file comes back.
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!m_watcher.files().contains(m_path) && QFileInfo::exists(m_path)) OnChanged();
    });
}

void PhoneBookWatcher::Watch(const QString& path) {
    m_settle.stop();
    if (!m_watcher.files().isEmpty()) m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty()) m_watcher.removePaths(m_watcher.directories());
    m_path = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    AddPaths();
}

void PhoneBookWatcher::AddPaths() {
    if (m_path.isEmpty()) return;
    if (QFileInfo::exists(m_path) && !m_watcher.files().contains(m_path)) {
        m_watcher.addPath(m_path);
    }
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!m_watcher.directories().contains(folder)) m_watcher.addPath(folder);
}

void PhoneBookWatcher::OnChanged() {
    // Each change starts the quiet time again.
    m_settle.start();
}

void PhoneBookWatcher::OnSettled() {
    if (m_path.isEmpty()) return;
    if (QApplication::activeModalWidget() != nullptr) {
        m_settle.start();
        return;
    }
    // A file saved by replacement is a new file: watch that one.
    AddPaths();
    if (QFileInfo::exists(m_path)) m_reload();
}
