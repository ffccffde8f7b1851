#include "app/ui/InstanceBeacon.h"

#include <QApplication>
#include <QLocalSocket>
#include <QWidget>

namespace {

// The one request there is, as one line.
const QByteArray kComeForward = QByteArrayLiteral("come-forward\n");
// Nothing longer is a request: a client sending more is cut off.
constexpr qint64 kLongestRequest = 64;
// A running instance answers at once; this only bounds a hung one.
constexpr int kConnectWaitMs = 2000;

}  // namespace

InstanceBeacon::InstanceBeacon(QObject* parent) : QObject(parent) {
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceBeacon::TakeConnection);
}

InstanceBeacon::~InstanceBeacon() {
    m_server.close();
}

bool InstanceBeacon::Listen(const QString& path, std::function<void()> comeForward) {
    if (path.isEmpty()) return false;
    m_comeForward = std::move(comeForward);
    // The lock is held here, so a socket at this path belongs to an instance
    // that has ended.
    QLocalServer::removeServer(path);
    return m_server.listen(path);
}

void InstanceBeacon::TakeConnection() {
    while (QLocalSocket* client = m_server.nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            if (!client->canReadLine()) {
                if (client->bytesAvailable() > kLongestRequest) client->abort();
                return;
            }
            const QByteArray request = client->readLine(kLongestRequest + 1);
            client->disconnectFromServer();
            if (request == kComeForward && m_comeForward) m_comeForward();
        });
    }
}

bool InstanceBeacon::AskToComeForward(const QString& path) {
    if (path.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kConnectWaitMs)) return false;
    socket.write(kComeForward);
    const bool sent = socket.waitForBytesWritten(kConnectWaitMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kConnectWaitMs);
    return sent;
}

void BringForward(QWidget* window) {
    // A window never shown yet is still starting up: it shows itself.
    if (window && window->testAttribute(Qt::WA_WState_ExplicitShowHide)) {
        window->showNormal();
        window->raise();
        window->activateWindow();
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != window) {
        modal->raise();
        modal->activateWindow();
    }
}
