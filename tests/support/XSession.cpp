#include "support/XSession.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

// Starts a program with the given extra environment entries; -1 when it cannot be started.
pid_t spawn(const std::vector<std::string> &argv, const std::vector<std::string> &extraEnv, int keepFd = -1,
            bool quiet = true) {
    std::vector<std::string> env = extraEnv;
    for (char **e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        bool overridden = false;
        for (const std::string &x : extraEnv) overridden |= x.substr(0, x.find('=')) == name;
        if (!overridden) env.push_back(entry);
    }
    std::vector<char *> args, envp;
    for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string &e : env) envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    (void)keepFd; // inherited: it is not close-on-exec
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

void stop(pid_t &pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        QThread::msleep(20);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

} // namespace

XSession::XSession(const QString &screen) {
    // Xvfb chooses a free display number itself and writes it to the pipe once it listens.
    int fds[2];
    if (::pipe(fds) != 0) {
        error_ = QStringLiteral("cannot make a pipe for Xvfb");
        return;
    }
    server_ = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen.toStdString(), "-nolisten",
                     "tcp", "-noreset"},
                    {}, fds[1]);
    ::close(fds[1]);
    if (server_ < 0) {
        ::close(fds[0]);
        error_ = QStringLiteral("Xvfb cannot be started (is the xvfb package installed?)");
        return;
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000 && ::poll(&p, 1, 200) >= 0) {
        if (!(p.revents & (POLLIN | POLLHUP))) continue;
        char c;
        const ssize_t n = ::read(fds[0], &c, 1);
        if (n <= 0 || c == '\n') break;
        number += c;
    }
    ::close(fds[0]);
    if (number.empty()) {
        stop(server_);
        error_ = QStringLiteral("Xvfb did not start a display");
        return;
    }
    display_ = QStringLiteral(":") + QString::fromStdString(number);
    windowManager_ = spawn({"openbox", "--sm-disable"}, {"DISPLAY=" + display_.toStdString()});
    if (windowManager_ < 0) {
        stop(server_);
        error_ = QStringLiteral("openbox cannot be started (is the openbox package installed?)");
        return;
    }
    clock.restart();
    while (!windowManagerRunning()) {
        if (clock.elapsed() > 20000) {
            stop(windowManager_);
            stop(server_);
            error_ = QStringLiteral("openbox did not take over the display");
            return;
        }
        QThread::msleep(100);
    }
}

XSession::~XSession() {
    stop(windowManager_);
    stop(server_);
}

QProcessEnvironment XSession::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    return env;
}

QString XSession::run(const QString &program, const QStringList &args, bool *ok, int timeoutMs) const {
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(program, args);
    const bool done = p.waitForFinished(timeoutMs);
    if (!done) p.kill(), p.waitForFinished(1000);
    if (ok) *ok = done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

// A window manager that follows the extended hints names its check window on the root. (Asked
// without Qt: this runs before the test's application object exists.)
bool XSession::windowManagerRunning() const {
    const std::string command =
        "DISPLAY=" + display_.toStdString() + " xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null";
    FILE *f = ::popen(command.c_str(), "r");
    if (!f) return false;
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, f)) out += buffer;
    return ::pclose(f) == 0 && out.find("window id") != std::string::npos;
}
