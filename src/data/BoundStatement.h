#pragma once
#include "data/Statement.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class Connection;
class QSqlError;
class QSqlQuery;

// A write statement whose values reach the engine apart from its text, so that no value is ever
// read as part of a statement, whatever it holds: `?` marks each value's place. On the file the
// statement is prepared once and run as often as asked; on the server each run sends the text
// with its values as parameters of the client library (the server's driver would write them into
// the text as literals, quoted for the session's string setting as it was at connecting).
//
// Every failure throws AppError worded as for any statement of the program.
class BoundStatement {
public:
    // A value's text in UTF-8; none for Null. The engine turns it into the column's type.
    using Value = Statements::ServerValue;

    // Opens the connection when it is not open yet.
    BoundStatement(Connection &connection, const QString &statement);
    ~BoundStatement();
    BoundStatement(const BoundStatement &) = delete;
    BoundStatement &operator=(const BoundStatement &) = delete;

    // Runs the statement with one value for each `?`, in order. The server's text cannot hold a
    // zero character: one in a value is left out there.
    void exec(const std::vector<Value> &values);

    // Appends a text to the body of a server array literal ("a","b\"c"), the value an array
    // parameter takes: between double quotes, its double quotes and backslashes behind a
    // backslash.
    static void appendArrayElement(QByteArray &array, const QByteArray &utf8);

    // The statement in the server's own marks: each `?` outside quotes and comments becomes $1,
    // $2, ... in order.
    static QByteArray numbered(const QString &statement);

private:
    [[noreturn]] void fail(const QSqlError &error);

    Connection &connection_;
    QByteArray serverText_; // on the server
    std::unique_ptr<QSqlQuery> prepared_; // on the file
};
