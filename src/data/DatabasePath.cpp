#include "data/DatabasePath.h"

#include "data/StoreConfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString &pinnedDir() {
    static QString dir;
    return dir;
}

const QString kDatabaseName = QStringLiteral("quorvel.mdb");

// Copies the installed database into the user's folder through a temporary name, so an
// interrupted copy never leaves a partial database under the real name. The copy keeps the
// installed file's read-only mode; the user's own copy must be writable for the import.
void seedUserCopy(const QString &installed, const QString &userDir) {
    const QString target = userDir + kDatabaseName;
    const QString temp = target + QStringLiteral(".seeding");
    QDir().mkpath(userDir);
    QFile::remove(temp);
    if (!QFile::copy(installed, temp)) return;
    QFile::setPermissions(temp, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (!QFile::rename(temp, target)) QFile::remove(temp);
}
} // namespace

namespace DatabasePath {

QString executableDir() {
    if (!pinnedDir().isEmpty()) return pinnedDir();
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(u'/')) dir += u'/';
    return dir;
}

void setExecutableDir(const QString &dirWithSeparator) {
    QString dir = dirWithSeparator;
    if (!dir.isEmpty() && !dir.endsWith(u'/')) dir += u'/';
    pinnedDir() = dir;
}

QString databaseFile(const QString &exeDir) { return exeDir + QStringLiteral("\\quorvel.mdb").replace(u'\\', u'/'); }

QString connectionString(const QString &exeDir) {
    return QLatin1String(kProviderPiece) + databaseFile(exeDir) + QLatin1String(kSecurityPiece);
}

QString lookupConnectionString() {
    // A configured server replaces the file.
    const QString config = StoreConfig::configFile();
    return config.isEmpty() ? connectionString(databaseDir()) : StoreConfig::connectionString(config);
}

QString installedDataDir() { return QDir::cleanPath(executableDir() + QStringLiteral("../share/zendrik")) + u'/'; }

QString userDataDir() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/zendrik/");
}

QString databaseDir() {
    const QString exeDir = executableDir();
    if (QFileInfo::exists(exeDir + kDatabaseName)) return exeDir;
    const QString installed = installedDataDir() + kDatabaseName;
    if (!QFileInfo::exists(installed)) return exeDir;
    const QString userDir = userDataDir();
    if (!QFileInfo::exists(userDir + kDatabaseName)) seedUserCopy(installed, userDir);
    return userDir;
}

QString dataSource(const QString &connectionString) {
    const QString key = QStringLiteral("Data Source=");
    const qsizetype start = connectionString.indexOf(key, 0, Qt::CaseInsensitive);
    if (start < 0) return {};
    const qsizetype from = start + key.size();
    // The path runs to the fixed last piece where there is one, so a folder may hold ';'.
    const QString last = QLatin1String(kSecurityPiece);
    const qsizetype end = connectionString.endsWith(last) && connectionString.size() - last.size() >= from
                              ? connectionString.size() - last.size()
                              : connectionString.indexOf(u';', from);
    return connectionString.mid(from, end < 0 ? -1 : end - from);
}

QString besideExecutable(const QString &relativeWindowsPath) {
    QString rel = relativeWindowsPath;
    rel.replace(u'\\', u'/');
    const QString beside = executableDir() + rel;
    const QString installed = installedDataDir() + rel;
    return !QFileInfo::exists(beside) && QFileInfo::exists(installed) ? installed : beside;
}

} // namespace DatabasePath
