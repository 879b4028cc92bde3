#include "data/BoundStatement.h"

#include "data/Statement.h"

#include "data/AppError.h"
#include "data/Connection.h"
#include "data/ServerFaults.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <libpq-fe.h>

namespace {

// The client library's connection under the server's driver; null for any other.
PGconn *serverHandle(const QSqlDatabase &db) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // The driver's handle is named by the struct PGconn stands for.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn *const *>(handle.data());
}

// A failed run as the server's driver reports one: the server's text, and its SQLSTATE as the
// native code.
QSqlError serverError(PGconn *connection, const PGresult *result) {
    const char *message = result ? PQresultErrorMessage(result) : nullptr;
    if (!message || !*message) message = PQerrorMessage(connection);
    const char *state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return QSqlError(QStringLiteral("QPSQL: Unable to execute statement"), QString::fromUtf8(message),
                     QSqlError::StatementError, state ? QString::fromLatin1(state) : QString());
}

} // namespace

QByteArray BoundStatement::numbered(const QString &statement) { return Statements::numbered(statement); }

void BoundStatement::appendArrayElement(QByteArray &array, const QByteArray &utf8) {
    if (!array.isEmpty()) array += ',';
    array += '"';
    for (const char c : utf8) {
        if (c == '"' || c == '\\') array += '\\';
        array += c;
    }
    array += '"';
}

BoundStatement::BoundStatement(Connection &connection, const QString &statement) : connection_(connection) {
    connection_.ensureOpen();
    if (connection_.isServer()) {
        serverText_ = numbered(statement);
        return;
    }
    prepared_ = std::make_unique<QSqlQuery>(connection_.database());
    if (!prepared_->prepare(statement)) fail(prepared_->lastError());
}

BoundStatement::~BoundStatement() = default;

void BoundStatement::exec(const std::vector<Value> &values) {
    if (prepared_) {
        for (std::size_t i = 0; i < values.size(); ++i)
            prepared_->bindValue(int(i), values[i] ? QVariant(QString::fromUtf8(*values[i]))
                                                   : QVariant(QMetaType::fromType<QString>()));
        if (!prepared_->exec()) fail(prepared_->lastError());
        prepared_->finish();
        return;
    }
    PGconn *server = serverHandle(connection_.database());
    if (!server) throw AppError(QStringLiteral("No database connection."));
    PGresult *result = Statements::execOnServer(server, serverText_, values);
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) {
        PQclear(result);
        return;
    }
    const QSqlError error = serverError(server, result);
    PQclear(result);
    fail(error);
}

void BoundStatement::fail(const QSqlError &error) {
    QString text = error.databaseText();
    if (text.isEmpty()) text = error.text();
    const bool server = connection_.isServer();
    if (connection_.dropIfLost()) throw AppError(ServerFaults::lostMessage(text));
    throw AppError(server ? ServerFaults::describe(error) : text);
}
