#pragma once
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

// The single-instance guard: an exclusive lock on a lock file named after the mutex, in the
// user's private runtime folder.
// The kernel drops the lock when the process ends, however it ends, so a crash never blocks
// the next start.
// Beside the lock, the running instance listens on a local socket of the same name; a later
// start connects to it so that the running window comes to the front.
class SingleInstance {
public:
    explicit SingleInstance(const QString &name);
    ~SingleInstance();
    // True when this process now holds the guard; false when another process holds it. Any
    // other failure (no lock file possible) lets the program start.
    bool acquire();
    // For the holder: calls `wake` whenever a later start knocks. Only after acquire() succeeded.
    void listen(std::function<void()> wake);
    // For a later start: knocks at the running instance; false when it did not answer within
    // kKnockTimeoutMs (it may not listen yet, early in its start).
    bool knock() const;

    static constexpr int kKnockTimeoutMs = 1000;

private:
    QString path_;
    QString socketPath_;
    int fd_ = -1;
    std::unique_ptr<QLocalServer> server_;
};
