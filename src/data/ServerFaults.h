#pragma once
#include <QString>

class QSqlError;

// What a user reads when the database server fails: in Chinese, saying what to check, with the
// server's own text after it for the administrator.
namespace ServerFaults {
// Connecting failed: the server is down or unreachable, refused the login, or has no such
// database.
QString connectMessage(const QString &server, const QString &driverText);
// The connection broke while a statement ran; nothing was changed by that statement.
QString lostMessage(const QString &driverText);
// A statement the server refused or stopped, by the server's code for it (SQLSTATE, the same in
// every language the server speaks): the account may not read or change the data, the
// connection broke, a lock was not had in time, the statement was cancelled, the server takes
// no writes or is out of room; else the statement failed. The server's own text, with its
// code, follows on a line of its own.
QString describe(const QSqlError &error);
} // namespace ServerFaults
