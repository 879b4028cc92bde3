#pragma once
#include <QString>

// What an export tells the user when it cannot finish.
namespace ExportMessages {
inline QString cannotWrite(const QString &path, const QString &reason) {
    return QStringLiteral("无法写入文件“%1”：%2").arg(path, reason);
}
} // namespace ExportMessages
