#include "support/PgServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace {
const QString kPasswordUser = QStringLiteral("zendrik_pw");

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

struct Server {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/zendrik-pg-XXXXXX")};
    QString bin;
    QString problem;
    bool started = false;
    int databases = 0;

    // Runs a server program, as "nobody" when we are root.
    QString run(const QString &program, const QStringList &args, int timeoutMs = 60000) {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        QStringList argv = args;
        QString exe = bin + u'/' + program;
        if (::geteuid() == 0) {
            argv = QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), exe} + args;
            exe = QStringLiteral("runuser");
        }
        p.start(exe, argv);
        if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(p.readAll()).trimmed());
        return {};
    }

    Server() {
        bin = serverBinDir();
        if (bin.isEmpty()) {
            problem = QStringLiteral("no server programs under /usr/lib/postgresql (scripts/setup.sh installs them)");
            return;
        }
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
            problem = QStringLiteral("Qt's PostgreSQL driver is missing (libqt6sql6-psql)");
            return;
        }
        if (!dir.isValid()) {
            problem = QStringLiteral("no temporary folder");
            return;
        }
        const QByteArray path = QFile::encodeName(dir.path());
        if (::geteuid() == 0 && std::system(("chown nobody " + path).constData()) != 0) {
            problem = QStringLiteral("cannot hand the folder to nobody");
            return;
        }
        // No fsync: the data lives as long as the test run.
        problem =
            run(QStringLiteral("initdb"),
                {QStringLiteral("-D"), dataDir(), QStringLiteral("-U"), user(), QStringLiteral("--auth=trust"),
                 QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C"), QStringLiteral("-N")});
        if (!problem.isEmpty()) return;
        // One role logs in with a password, before the rules that trust everyone.
        QFile hba(dataDir() + QStringLiteral("/pg_hba.conf"));
        QByteArray rules;
        if (hba.open(QIODevice::ReadOnly)) rules = hba.readAll();
        hba.close();
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            hba.write("local all " + kPasswordUser.toUtf8() + " scram-sha-256\n" + rules) < 0) {
            problem = QStringLiteral("cannot write pg_hba.conf");
            return;
        }
        hba.close();
        problem = run(QStringLiteral("pg_ctl"),
                      {QStringLiteral("-D"), dataDir(), QStringLiteral("-l"),
                       dir.path() + QStringLiteral("/server.log"), QStringLiteral("-w"), QStringLiteral("-o"),
                       QStringLiteral("-k %1 -c listen_addresses= -F -c max_connections=40").arg(dir.path()),
                       QStringLiteral("start")});
        started = problem.isEmpty();
    }

    ~Server() {
        if (started)
            run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), dataDir(), QStringLiteral("-m"),
                                           QStringLiteral("immediate"), QStringLiteral("stop")});
    }

    QString dataDir() const { return dir.path() + QStringLiteral("/data"); }
    static QString user() { return QStringLiteral("zendrik"); }
};

Server &server() {
    // Stopped at exit, after every test of the executable.
    static const std::unique_ptr<Server> instance = std::make_unique<Server>();
    return *instance;
}

} // namespace

namespace PgServer {

QString unavailable() { return server().problem; }

QString socketDir() { return server().dir.path(); }

QString user() { return Server::user(); }

QString exec(const QString &database, const QStringList &statements) {
    const QString name = QStringLiteral("pgserver-admin");
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(socketDir());
        db.setUserName(user());
        db.setDatabaseName(database);
        if (!db.open()) error = db.lastError().text();
        else {
            QSqlQuery q(db);
            for (const QString &statement : statements) {
                if (q.exec(statement)) continue;
                error = statement + QStringLiteral(": ") + q.lastError().text();
                break;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return error;
}

QString createDatabase() {
    const QString name = QStringLiteral("zendrik_test_%1").arg(++server().databases);
    const QString error = exec(QStringLiteral("postgres"), {QStringLiteral("create database %1").arg(name)});
    return error.isEmpty() ? name : QString();
}

QString passwordUser(const QString &password) {
    const QString error = exec(QStringLiteral("postgres"),
                               {QStringLiteral("drop role if exists %1").arg(kPasswordUser),
                                QStringLiteral("create role %1 login password '%2'").arg(kPasswordUser, password)});
    return error.isEmpty() ? kPasswordUser : QString();
}

QString writeConfig(const QString &folder, const QString &database, const QString &user) {
    const QString path = QDir(folder).filePath(QStringLiteral("zendrik.conf"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
    f.write(QStringLiteral("[server]\nhost=%1\ndatabase=%2\nuser=%3\n").arg(socketDir(), database, user).toUtf8());
    return path;
}

} // namespace PgServer
