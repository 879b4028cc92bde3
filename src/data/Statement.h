#pragma once
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <optional>
#include <vector>

class QSqlQuery;
struct sqlite3_stmt;
struct pg_conn;
struct pg_result;

// A statement as the engine gets it: its text, with a '?' for each value, and the values bound to
// them in order. Values never go into the text; pieces compose with their values.
struct Statement {
    QString text;
    QVariantList values;

    Statement() = default;
    // Text of the program's own, holding no value.
    Statement(const char *sql) : text(QString::fromUtf8(sql)) {}
    Statement(QString sql, QVariantList bound = {}) : text(std::move(sql)), values(std::move(bound)) {}

    bool isEmpty() const { return text.isEmpty(); }
    Statement &operator+=(const Statement &piece) {
        text += piece.text;
        values += piece.values;
        return *this;
    }
    friend Statement operator+(Statement a, const Statement &b) { return a += b; }
    friend bool operator==(const Statement &a, const Statement &b) = default;
};

// One bound value: "?" with it.
inline Statement bound(const QVariant &value) { return {QStringLiteral("?"), {value}}; }

namespace Statements {
// Pieces joined by a separator of the program's own.
Statement joined(const QList<Statement> &pieces, const QString &separator);
// The text with the server's numbered placeholders ($1, $2 ...) for its '?', for a statement the
// driver cannot prepare (a cursor's declaration): each '?' outside quotes and comments becomes
// $1, $2 ... in order.
QByteArray numbered(const QString &text);
// A value as the server's client library takes a parameter: its text in UTF-8, none for Null.
using ServerValue = std::optional<QByteArray>;
std::vector<ServerValue> serverValues(const QVariantList &values);
// Runs a numbered statement on the server's connection with its values as parameters of their
// own (the server reads each as the type its place needs). The server's text cannot hold a zero
// character: one in a value is left out. The caller clears the result.
pg_result *execOnServer(pg_conn *connection, const QByteArray &numbered, const std::vector<ServerValue> &values);
// Prepares the statement on the query and binds its values; false when preparing failed.
bool prepare(QSqlQuery &query, const Statement &statement);
// Binds the values to a prepared SQLite statement; the engine's result code.
int bind(sqlite3_stmt *stmt, const QVariantList &values);
} // namespace Statements
