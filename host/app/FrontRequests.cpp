#include "host/app/FrontRequests.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace host::app {

namespace {

const QByteArray kRequest = "front";
const QByteArray kAnswer = "ok";

}  // namespace

QString FrontRequests::ServerName(const QString& folder) {
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    const QString path = QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
    const QByteArray hash =
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QStringLiteral("chasewell-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

FrontRequests::FrontRequests(const QString& folder, std::function<void()> bringForward)
    : m_server(new QLocalServer(this)), m_bringForward(std::move(bringForward)) {
    const QString name = ServerName(folder);
    // Only the user's own programs may ask.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a holder that was killed: the caller holds the
    // folder now, so no one else is listening there.
    QLocalServer::removeServer(name);
    m_server->listen(name);
    connect(m_server, &QLocalServer::newConnection, this, &FrontRequests::Answer);
}

FrontRequests::~FrontRequests() = default;

bool FrontRequests::Listening() const {
    return m_server->isListening();
}

void FrontRequests::Answer() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine().trimmed() == kRequest) {
                if (m_bringForward)
                    m_bringForward();
                socket->write(kAnswer + '\n');
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}

bool FrontRequests::AskToComeForward(const QString& folder, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(ServerName(folder));
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write(kRequest + '\n');
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    return socket.readLine().trimmed() == kAnswer;
}

}  // namespace host::app
