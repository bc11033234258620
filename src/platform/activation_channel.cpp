#include "platform/activation_channel.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include "platform/single_instance.h"

namespace quillo {

namespace {

const QByteArray kRequest = QByteArrayLiteral("activate\n");
const QByteArray kAnswer = QByteArrayLiteral("shown\n");

}  // namespace

ActivationServer::ActivationServer(const QString& name, QObject* parent)
    : QObject(parent), m_name(name), m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &ActivationServer::answer);
}

ActivationServer::~ActivationServer() = default;

bool ActivationServer::listen() {
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

// Each caller sends one line; anything else is ignored, and a caller that sends
// nothing is dropped after a moment, so no stray connection holds the window.
void ActivationServer::answer() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(2000, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kRequest.size())
                    socket->abort();
                return;
            }
            if (socket->readLine(kRequest.size() + 1) == kRequest) {
                emit activationRequested();
                socket->write(kAnswer);
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}

QString activationChannelName() {
    return QDir(lockFolder()).filePath(QStringLiteral("quillo-activate.socket"));
}

bool requestActivation(const QString& name, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine() == kAnswer;
}

}  // namespace quillo
