#include "platform/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// The lock file and the socket lie in the user's private runtime folder, so no other user can
// take the one or knock at the other.
QString runtimeFile(const QString &name, const char *suffix) {
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
           QStringLiteral("/%1.%2").arg(name, QLatin1String(suffix));
}
} // namespace

SingleInstance::SingleInstance(const QString &name)
    : path_(runtimeFile(name, "lock")), socketPath_(runtimeFile(name, "socket")) {}

SingleInstance::~SingleInstance() {
    server_.reset();
    if (fd_ >= 0) ::close(fd_);
}

bool SingleInstance::acquire() {
    if (fd_ < 0) fd_ = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return true;
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
    return errno != EWOULDBLOCK;
}

void SingleInstance::listen(std::function<void()> wake) {
    server_ = std::make_unique<QLocalServer>();
    // The lock is ours, so a socket file left there is one a crashed instance left behind.
    QLocalServer::removeServer(socketPath_);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath_)) return; // no front-raising then; the guard itself still holds
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this, wake = std::move(wake)] {
        while (QLocalSocket *s = server_->nextPendingConnection()) {
            QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            s->disconnectFromServer();
            wake();
        }
    });
}

bool SingleInstance::knock() const {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(kKnockTimeoutMs)) return false;
    socket.disconnectFromServer();
    return true;
}
