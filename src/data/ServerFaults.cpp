#include "data/ServerFaults.h"

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

} // namespace ServerFaults
