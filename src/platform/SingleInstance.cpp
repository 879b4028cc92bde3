#include "platform/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// The lock file lies in the user's private runtime folder, so no other user can take it first.
SingleInstance::SingleInstance(const QString &name)
    : path_(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/%1.lock").arg(name)) {}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) ::close(fd_);
}

bool SingleInstance::acquire() {
    if (fd_ < 0) fd_ = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return true;
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
    return errno != EWOULDBLOCK;
}
