#include "app/ui/InstanceBeacon.h"

#include <QApplication>
#include <QLocalSocket>
#include <QWidget>

#include "phonebook/DialLink.h"

namespace {

// The one request there is, as one line.
const QByteArray kComeForward = QByteArrayLiteral("come-forward\n");
// The number request: the prefix, the number in dialled form, a line end.
const QByteArray kShow = QByteArrayLiteral("show ");
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

bool InstanceBeacon::Listen(const QString& path, std::function<void()> comeForward,
                            std::function<void(const std::string& number)> show) {
    if (path.isEmpty()) return false;
    m_comeForward = std::move(comeForward);
    m_show = std::move(show);
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
            if (request.startsWith(kShow) && request.endsWith('\n') && m_show) {
                // Read again as a link would be: only a number in dialled
                // form is shown.
                const std::string asked =
                    request.mid(kShow.size(), request.size() - kShow.size() - 1).toStdString();
                const DialLink link = ParseDialLink(asked);
                if (link.problem == DialLinkProblem::None && link.digits == asked) m_show(asked);
            }
        });
    }
}

namespace {

bool SendRequest(const QString& path, const QByteArray& request) {
    if (path.isEmpty()) return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kConnectWaitMs)) return false;
    socket.write(request);
    const bool sent = socket.waitForBytesWritten(kConnectWaitMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kConnectWaitMs);
    return sent;
}

}  // namespace

bool InstanceBeacon::AskToComeForward(const QString& path) {
    return SendRequest(path, kComeForward);
}

bool InstanceBeacon::AskToShow(const QString& path, const std::string& number) {
    return SendRequest(path, kShow + QByteArray::fromStdString(number) + '\n');
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
