#include "data/ServerFaults.h"

#include <QSqlError>

namespace ServerFaults {

QString connectMessage(const QString &server, const QString &driverText) {
    const QString detail = driverText.trimmed();
    QString what;
    if (detail.contains(QLatin1String("password")) || detail.contains(QLatin1String("authentication")))
        what = QStringLiteral("数据库服务器拒绝登录：请检查用户名和 ~/.pgpass 中的密码");
    else if (detail.contains(QLatin1String("does not exist")))
        what = QStringLiteral("数据库服务器上没有配置中的数据库或用户");
    else if (detail.contains(QLatin1String("timeout")))
        what = QStringLiteral("连接数据库服务器超时：请检查网络和服务器地址");
    else what = QStringLiteral("无法连接数据库服务器：请检查服务器是否运行以及地址和端口");
    return QStringLiteral("%1（%2）。\n%3").arg(what, server, detail);
}

QString lostMessage(const QString &driverText) {
    return QStringLiteral("与数据库服务器的连接已断开，本次操作未完成，数据未改动；请稍后重试。\n%1")
        .arg(driverText.trimmed());
}

QString describe(const QSqlError &error) {
    const QString code = error.nativeErrorCode();
    QString detail = error.databaseText().trimmed();
    if (detail.isEmpty()) detail = error.text().trimmed();
    // The code after the text's first line, once (the driver may have put it on a line of its own).
    if (!code.isEmpty()) {
        const QString tag = QStringLiteral("(%1)").arg(code);
        if (detail.endsWith(tag)) detail = detail.chopped(tag.size()).trimmed();
        const qsizetype lineEnd = detail.indexOf(u'\n');
        detail.insert(lineEnd < 0 ? detail.size() : lineEnd, u' ' + tag);
    }
    // Class 08 is the connection's; 57P01-57P03 the server shutting down or starting up.
    if (code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01") || code == QLatin1String("57P02") ||
        code == QLatin1String("57P03"))
        return lostMessage(detail);
    QString what;
    if (code == QLatin1String("42501"))
        what = QStringLiteral("数据库账户没有读取或修改这些数据的权限，本次操作未完成；请联系数据库管理员授予权限。");
    else if (code == QLatin1String("55P03"))
        what = QStringLiteral("数据正被其他用户或程序锁定，等待超时；本次操作未完成，数据未改动，请稍后再试。");
    else if (code == QLatin1String("57014"))
        what = QStringLiteral("数据库服务器取消了本次操作（超时或被管理员取消），数据未改动；请稍后再试。");
    else if (code == QLatin1String("25006"))
        what = QStringLiteral("数据库服务器目前只能读取，不能写入；本次操作未完成，请联系数据库管理员。");
    else if (code.startsWith(QLatin1String("53")))
        what = QStringLiteral("数据库服务器资源不足（磁盘空间或内存），本次操作未完成；请联系数据库管理员。");
    else what = QStringLiteral("数据库服务器未能执行本次操作，本次操作未完成；请把下面的信息告诉数据库管理员。");
    return what + u'\n' + detail;
}

} // namespace ServerFaults
