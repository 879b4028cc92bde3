#pragma once
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <sys/types.h>

// A private X server (Xvfb, on a display number it picks itself) with the openbox window manager
// running on it, for tests that need a real window manager. Both processes end with the object.
class XSession {
public:
    // `screen` is Xvfb's screen geometry, "WIDTHxHEIGHTxDEPTH".
    explicit XSession(const QString &screen = QStringLiteral("1280x1024x24"));
    ~XSession();
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    bool ok() const { return error_.isEmpty(); }
    // Why the session could not start (no Xvfb, no openbox, the server did not answer).
    QString error() const { return error_; }
    QString display() const { return display_; } // ":N"
    // The current environment with DISPLAY pointing at this server.
    QProcessEnvironment environment() const;
    // Runs an X client program against this server and returns its standard output; waits at
    // most `timeoutMs`. `ok`, when given, tells whether it ran and exited with 0.
    QString run(const QString &program, const QStringList &args, bool *ok = nullptr, int timeoutMs = 10000) const;

private:
    bool windowManagerRunning() const;

    QString display_;
    QString error_;
    pid_t server_ = -1;
    pid_t windowManager_ = -1;
};
