#pragma once
#include <QString>

// The single-instance guard: an exclusive lock on a lock file named after the mutex, in the
// user's private runtime folder.
// The kernel drops the lock when the process ends, however it ends, so a crash never blocks
// the next start.
class SingleInstance {
public:
    explicit SingleInstance(const QString &name);
    ~SingleInstance();
    // True when this process now holds the guard; false when another process holds it. Any
    // other failure (no lock file possible) lets the program start.
    bool acquire();

private:
    QString path_;
    int fd_ = -1;
};
