#include "app/InstanceChannel.h"

#include <QLocalSocket>

namespace stampwell {

namespace {
constexpr char kShowRequest[] = "show\n";
}

bool CInstanceChannel::Listen(std::function<void()> onShowRequest) {
    m_onShowRequest = std::move(onShowRequest);
    // Whoever holds the lock owns the name: a socket left by a crashed copy goes.
    QLocalServer::removeServer(m_name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_name)) return false;
    QObject::connect(&m_server, &QLocalServer::newConnection, &m_server, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket,
                             &QLocalSocket::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                if (socket->readAll().startsWith("show") && m_onShowRequest) m_onShowRequest();
                socket->disconnectFromServer();
            });
        }
    });
    return true;
}

bool CInstanceChannel::RequestShow(int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    // The running copy hangs up once it has read the request.
    socket.waitForDisconnected(timeoutMs);
    return true;
}

}  // namespace stampwell
