#include "platform/qt/single_instance.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QLocalSocket>
#include <QLockFile>

namespace twl {
namespace {

constexpr int connectTimeoutMs = 1000;
constexpr int lockTimeoutMs = 5000;
const QByteArray reopenMessage = QByteArrayLiteral("reopen\n");

}  // namespace

QString SingleInstance::socketPathIn(const std::filesystem::path& privateFolder) {
    return QDir(QString::fromStdString(privateFolder.string()))
        .filePath(QStringLiteral("tidewaterlink.socket"));
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

SingleInstance::Claim SingleInstance::claim() {
    if (socketPath_.isEmpty()) {
        return Claim::unavailable;
    }
    // Two launches at the same moment take turns, so neither removes the
    // other's fresh socket as stale.
    QLockFile lock(socketPath_ + QStringLiteral(".lock"));
    const bool locked = lock.tryLock(lockTimeoutMs);

    if (askRunningToReopen()) {
        return Claim::reachedRunning;
    }
    // Nobody answers: whatever is at the path was left by a client that died.
    QLocalServer::removeServer(socketPath_);
    const bool listening = server_.listen(socketPath_);
    if (locked) {
        lock.unlock();
    }
    return listening ? Claim::first : Claim::unavailable;
}

bool SingleInstance::askRunningToReopen() const {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(connectTimeoutMs)) {
        return false;
    }
    // Only root could have put another user's socket there: no client of ours.
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer,
                     &size) != 0 ||
        peer.uid != ::geteuid()) {
        return false;
    }
    // The running client may be busy; the message waits in the socket.
    socket.write(reopenMessage);
    const bool sent = socket.waitForBytesWritten(connectTimeoutMs);
    socket.disconnectFromServer();
    return sent;
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        auto readMessage = [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() == reopenMessage) {
                    emit reopenRequested();
                }
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readMessage);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readMessage();
    }
}

}  // namespace twl
