#include "data/DatabasePath.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &pinnedDir() {
    static QString dir;
    return dir;
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

QString databaseFile(const QString &exeDir) {
    return exeDir + QString(QStringLiteral("\\quorvel.mdb")).replace(u'\\', u'/');
}

QString connectionString(const QString &exeDir) {
    return QLatin1String(kProviderPiece) + databaseFile(exeDir) + QLatin1String(kSecurityPiece);
}

QString lookupConnectionString() { return connectionString(executableDir()); }

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
    return executableDir() + rel;
}

} // namespace DatabasePath
