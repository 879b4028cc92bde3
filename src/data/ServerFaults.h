#pragma once
#include <QString>

// What a user reads when the database server fails: in Chinese, saying what to check, with the
// server's own text after it for the administrator.
namespace ServerFaults {
// Connecting failed: the server is down or unreachable, refused the login, or has no such
// database.
QString connectMessage(const QString &server, const QString &driverText);
// The connection broke while a statement ran; nothing was changed by that statement.
QString lostMessage(const QString &driverText);
} // namespace ServerFaults
