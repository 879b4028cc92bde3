#include "platform/SingleInstance.h"

#include <QDir>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstance::SingleInstance(const QString &name)
    : path_(QDir::tempPath() + QStringLiteral("/%1-%2.lock").arg(name).arg(getuid())) {}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) ::close(fd_);
}

bool SingleInstance::acquire() {
    if (fd_ < 0) fd_ = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return true;
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
    return errno != EWOULDBLOCK;
}
