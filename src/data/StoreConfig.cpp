#include "data/StoreConfig.h"

#include "data/AppError.h"
#include "data/DatabasePath.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
const QString kName = QStringLiteral("zendrik.conf");
const QString kProvider = QStringLiteral("Provider=PostgreSQL;Config=");
} // namespace

namespace StoreConfig {

QString Server::connectOptions() const {
    QStringList options{QStringLiteral("connect_timeout=%1").arg(connectTimeout),
                        QStringLiteral("application_name=zendrik")};
    if (!service.isEmpty()) options << QStringLiteral("service=%1").arg(service);
    // A lookup wants its first rows in milliseconds: compiling a statement costs 100-250 ms, and
    // starting parallel workers 60-80 ms, and both are chosen on row estimates that a name
    // fragment's count often misses. A backslash in a string literal is a plain character, as the
    // program writes its literals, even where the server or the database is set to read it as an
    // escape (values are bound in any case).
    options << QStringLiteral(
        "options='-c jit=off -c max_parallel_workers_per_gather=0 -c standard_conforming_strings=on'");
    return options.join(u';');
}

QString Server::describe() const {
    QString where = host.isEmpty() ? QStringLiteral("service ") + service : host;
    if (port > 0) where += QStringLiteral(":%1").arg(port);
    QString text = QStringLiteral("PostgreSQL %1 on %2").arg(database.isEmpty() ? service : database, where);
    if (!user.isEmpty()) text += QStringLiteral(" as ") + user;
    return text;
}

QString configFile() {
    const QString user =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/zendrik/") + kName;
    if (QFileInfo(user).isFile()) return user;
    const QString beside = DatabasePath::executableDir() + kName;
    return QFileInfo(beside).isFile() ? beside : QString();
}

QString connectionString(const QString &file) { return kProvider + file; }

QString fileOf(const QString &connectionString) {
    return connectionString.startsWith(kProvider) ? connectionString.mid(kProvider.size()) : QString();
}

QString inUse() {
    const QString file = configFile();
    if (file.isEmpty())
        return QStringLiteral("SQLite ") + DatabasePath::dataSource(DatabasePath::lookupConnectionString());
    try {
        return read(file).describe();
    } catch (const AppError &e) {
        return e.message();
    }
}

Server read(const QString &file) {
    if (!QFileInfo(file).isReadable()) throw AppError(QStringLiteral("无法读取数据库配置文件“%1”。").arg(file));
    QSettings ini(file, QSettings::IniFormat);
    if (ini.status() != QSettings::NoError) throw AppError(QStringLiteral("数据库配置文件“%1”格式错误。").arg(file));
    ini.beginGroup(QStringLiteral("server"));
    if (ini.contains(QStringLiteral("password")))
        throw AppError(
            QStringLiteral("数据库配置文件“%1”中不能写密码：请把密码放在 ~/.pgpass 或服务文件中。").arg(file));
    Server s;
    s.host = ini.value(QStringLiteral("host")).toString().trimmed();
    s.database = ini.value(QStringLiteral("database")).toString().trimmed();
    s.user = ini.value(QStringLiteral("user")).toString().trimmed();
    s.service = ini.value(QStringLiteral("service")).toString().trimmed();
    bool ok = true;
    if (ini.contains(QStringLiteral("port"))) {
        s.port = ini.value(QStringLiteral("port")).toInt(&ok);
        if (!ok || s.port <= 0 || s.port > 65535)
            throw AppError(QStringLiteral("数据库配置文件“%1”中的端口无效。").arg(file));
    }
    if (ini.contains(QStringLiteral("connect_timeout"))) {
        s.connectTimeout = ini.value(QStringLiteral("connect_timeout")).toInt(&ok);
        if (!ok || s.connectTimeout < 1)
            throw AppError(QStringLiteral("数据库配置文件“%1”中的连接超时无效。").arg(file));
    }
    if (ini.contains(QStringLiteral("lock_timeout"))) {
        s.lockTimeout = ini.value(QStringLiteral("lock_timeout")).toInt(&ok);
        if (!ok || s.lockTimeout < 1)
            throw AppError(QStringLiteral("数据库配置文件“%1”中的写入等待时间无效。").arg(file));
    }
    if (s.service.isEmpty() && (s.host.isEmpty() || s.database.isEmpty()))
        throw AppError(
            QStringLiteral("数据库配置文件“%1”的 [server] 一节需要 host 和 database（或 service）。").arg(file));
    return s;
}

} // namespace StoreConfig
