#pragma once
// How a later start reaches the running instance: the holder of the instance
// lock listens on a local socket beside the lock file, private to the user.
// A start refused by the lock connects and asks the running window to come
// forward, or to show a number handed in by a link; nothing else is ever
// asked or answered.

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>
#include <string>

class QWidget;

class InstanceBeacon : public QObject {
    Q_OBJECT

public:
    explicit InstanceBeacon(QObject* parent = nullptr);
    ~InstanceBeacon() override;

    // Listens at `path`; only the lock's holder may call it, as a socket left
    // there by an ended holder is removed first. `comeForward` runs for each
    // request; `show` for each number asked to be shown (already in dialled
    // form). False when the socket cannot be made (the program runs on
    // without it).
    bool Listen(const QString& path, std::function<void()> comeForward,
                std::function<void(const std::string& number)> show = {});
    bool IsListening() const { return m_server.isListening(); }
    // Stops listening and removes the socket.
    void Close() { m_server.close(); }

    // Asks the instance listening at `path` to come forward. False when none
    // answers there.
    static bool AskToComeForward(const QString& path);
    // Asks it to show `number` (dialled form) and come forward.
    static bool AskToShow(const QString& path, const std::string& number);

private:
    void TakeConnection();

    QLocalServer m_server;
    std::function<void()> m_comeForward;
    std::function<void(const std::string&)> m_show;
};

// Shows `window` in its normal state in front, with the keyboard focus, if it
// has been shown before (hidden in the notification area, minimised or
// behind others); a modal dialog of the program open in front of it comes
// forward too.
void BringForward(QWidget* window);
