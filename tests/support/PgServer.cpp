#include "support/PgServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <libpq-fe.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {
const QString kSuperuser = QStringLiteral("zendrik");
// Members of this role log in with their password; every other role is trusted.
const QString kPasswordGroup = QStringLiteral("zendrik_password_login");

// The newest installed server's programs (Debian keeps them per major version).
QString serverBinDir() {
    const QDir base(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = base.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
    for (const QString &v : versions)
        if (QFile::exists(base.filePath(v + QStringLiteral("/bin/pg_ctl"))))
            return base.filePath(v + QStringLiteral("/bin"));
    return {};
}

// Why the tests cannot have a server at all; empty when PostgreSQL and Qt's driver are there.
QString notInstalled() {
    if (serverBinDir().isEmpty())
        return QStringLiteral("no server programs under /usr/lib/postgresql (scripts/setup.sh installs them)");
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        return QStringLiteral("Qt's PostgreSQL driver is missing (libqt6sql6-psql)");
    return {};
}

// Runs a server program, as "nobody" when we are root.
QString runProgram(const QString &program, const QStringList &args, int timeoutMs = 60000) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    QStringList argv = args;
    QString exe = serverBinDir() + u'/' + program;
    if (::geteuid() == 0) {
        argv = QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), exe} + args;
        exe = QStringLiteral("runuser");
    }
    p.start(exe, argv);
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(p.readAll()).trimmed());
    return {};
}

// Runs statements as the superuser in one session through libpq itself: it works also while the
// program ends, after Qt's driver registry is gone.
QString adminExec(const QString &socketDir, const QString &database, const QStringList &statements) {
    const QByteArray host = QFile::encodeName(socketDir), user = kSuperuser.toUtf8(), db = database.toUtf8();
    const char *keys[] = {"host", "user", "dbname", "client_encoding", nullptr};
    const char *values[] = {host.constData(), user.constData(), db.constData(), "UTF8", nullptr};
    PGconn *conn = PQconnectdbParams(keys, values, 0);
    QString error;
    if (PQstatus(conn) != CONNECTION_OK) error = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    else
        for (const QString &statement : statements) {
            PGresult *r = PQexec(conn, statement.toUtf8().constData());
            const ExecStatusType status = PQresultStatus(r);
            if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
                error = statement + QStringLiteral(": ") + QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
            PQclear(r);
            if (!error.isEmpty()) break;
        }
    PQfinish(conn);
    return error;
}

QString dataDir(const QString &folder) { return folder + QStringLiteral("/data"); }

// Creates a cluster in the folder and starts its server, listening only on a socket there.
QString startCluster(const QString &folder) {
    const QByteArray path = QFile::encodeName(folder);
    if (::geteuid() == 0 && std::system(("chown nobody '" + path + "'").constData()) != 0)
        return QStringLiteral("cannot hand %1 to nobody").arg(folder);
    // No fsync: the data lives as long as the test run.
    QString problem = runProgram(QStringLiteral("initdb"),
                                 {QStringLiteral("-D"), dataDir(folder), QStringLiteral("-U"), kSuperuser,
                                  QStringLiteral("--auth=trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                                  QStringLiteral("--locale=C"), QStringLiteral("-N")});
    if (!problem.isEmpty()) return problem;
    // The password logins, before the rules that trust everyone.
    QFile hba(dataDir(folder) + QStringLiteral("/pg_hba.conf"));
    QByteArray rules;
    if (hba.open(QIODevice::ReadOnly)) rules = hba.readAll();
    hba.close();
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        hba.write("local all +" + kPasswordGroup.toUtf8() + " scram-sha-256\n" + rules) < 0)
        return QStringLiteral("cannot write pg_hba.conf");
    hba.close();
    // Room for the sessions of two executables running side by side, each with its threads.
    problem = runProgram(QStringLiteral("pg_ctl"),
                         {QStringLiteral("-D"), dataDir(folder), QStringLiteral("-l"),
                          folder + QStringLiteral("/server.log"), QStringLiteral("-w"), QStringLiteral("-o"),
                          QStringLiteral("-k %1 -c listen_addresses= -F -c max_connections=100").arg(folder),
                          QStringLiteral("start")});
    if (!problem.isEmpty()) return problem;
    problem = adminExec(folder, QStringLiteral("postgres"), {QStringLiteral("create role %1").arg(kPasswordGroup)});
    if (!problem.isEmpty()) {
        runProgram(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dataDir(folder), QStringLiteral("-m"),
                                              QStringLiteral("immediate"), QStringLiteral("stop")});
    }
    return problem;
}

QString stopCluster(const QString &folder) {
    return runProgram(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dataDir(folder), QStringLiteral("-m"),
                                                 QStringLiteral("immediate"), QStringLiteral("stop")});
}

// The folder of the run's server named in the state file; empty when there is none.
QString sharedFolder(const QString &stateFile) {
    QFile f(stateFile);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QFile::decodeName(f.readAll().trimmed());
}

struct Server {
    QString folder;
    QString problem;
    // A server of this executable's own, stopped at its end; none on the run's server.
    std::unique_ptr<QTemporaryDir> own;
    bool ownStarted = false;
    // What this executable made on the run's server, dropped at its end.
    QStringList databases;
    QString passwordRole;
    int made = 0;

    Server() {
        problem = notInstalled();
        if (!problem.isEmpty()) return;
        const QString state = qEnvironmentVariable("ZENDRIK_TEST_SERVER");
        if (!state.isEmpty()) {
            folder = sharedFolder(state);
            if (folder.isEmpty())
                problem = QStringLiteral("the test run's server is not running: %1 names none "
                                         "(the test pg_server_start writes it)")
                              .arg(state);
            else if (const QString error = adminExec(folder, QStringLiteral("postgres"), {QStringLiteral("select 1")});
                     !error.isEmpty())
                problem = QStringLiteral("the test run's server in %1 does not answer: %2").arg(folder, error);
            return;
        }
        own = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/zendrik-pg-XXXXXX"));
        if (!own->isValid()) {
            problem = QStringLiteral("no temporary folder");
            return;
        }
        folder = own->path();
        problem = startCluster(folder);
        ownStarted = problem.isEmpty();
    }

    ~Server() {
        if (own) {
            if (ownStarted) stopCluster(folder);
            return;
        }
        if (!problem.isEmpty()) return;
        QStringList drops;
        for (const QString &database : std::as_const(databases))
            drops << QStringLiteral("drop database if exists %1 with (force)").arg(database);
        if (!passwordRole.isEmpty()) drops << QStringLiteral("drop role if exists %1").arg(passwordRole);
        for (const QString &drop : std::as_const(drops)) adminExec(folder, QStringLiteral("postgres"), {drop});
    }

    // Names no other executable on the server uses: they carry this process's id.
    QString uniqueName(const QString &prefix) const {
        return QStringLiteral("%1_%2").arg(prefix).arg(QCoreApplication::applicationPid());
    }
};

Server &server() {
    // Stopped at exit, after every test of the executable.
    static const std::unique_ptr<Server> instance = std::make_unique<Server>();
    return *instance;
}

} // namespace

namespace PgServer {

QString unavailable() { return server().problem; }

bool installed() { return notInstalled().isEmpty(); }

QString socketDir() { return server().folder; }

QString user() { return kSuperuser; }

QString exec(const QString &database, const QStringList &statements) {
    return adminExec(socketDir(), database, statements);
}

QString createDatabase() {
    Server &s = server();
    const QString name = s.uniqueName(QStringLiteral("zendrik_test")) + QStringLiteral("_%1").arg(++s.made);
    if (!exec(QStringLiteral("postgres"), {QStringLiteral("create database %1").arg(name)}).isEmpty()) return {};
    s.databases << name;
    return name;
}

QString passwordUser(const QString &password) {
    Server &s = server();
    const QString role = s.uniqueName(QStringLiteral("zendrik_pw"));
    const QString error =
        exec(QStringLiteral("postgres"),
             {QStringLiteral("drop role if exists %1").arg(role),
              QStringLiteral("create role %1 login password '%2' in role %3").arg(role, password, kPasswordGroup)});
    if (!error.isEmpty()) return {};
    s.passwordRole = role;
    return role;
}

QString writeConfig(const QString &folder, const QString &database, const QString &user) {
    const QString path = QDir(folder).filePath(QStringLiteral("zendrik.conf"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
    f.write(QStringLiteral("[server]\nhost=%1\ndatabase=%2\nuser=%3\n").arg(socketDir(), database, user).toUtf8());
    return path;
}

QString startShared(const QString &stateFile) {
    if (QFile::exists(stateFile)) stopShared(stateFile); // left by a run that did not end
    if (!installed()) return {};
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/zendrik-pg-XXXXXX"));
    if (!dir.isValid()) return QStringLiteral("no temporary folder");
    if (const QString problem = startCluster(dir.path()); !problem.isEmpty()) return problem;
    QSaveFile state(stateFile);
    if (!state.open(QIODevice::WriteOnly) || state.write(QFile::encodeName(dir.path()) + '\n') < 0 || !state.commit()) {
        stopCluster(dir.path());
        return QStringLiteral("cannot write %1").arg(stateFile);
    }
    dir.setAutoRemove(false);
    return {};
}

QString stopShared(const QString &stateFile) {
    const QString folder = sharedFolder(stateFile);
    if (folder.isEmpty()) return {};
    const QString problem = stopCluster(folder);
    QDir(folder).removeRecursively();
    QFile::remove(stateFile);
    return problem;
}

} // namespace PgServer
