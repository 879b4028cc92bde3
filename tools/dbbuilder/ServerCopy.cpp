#include "dbbuilder/ServerCopy.h"

#include "data/AppError.h"
#include "data/BoundStatement.h"
#include "data/Connection.h"
#include "data/Schema.h"
#include "data/ServerFaults.h"
#include "data/ServerKeyOrder.h"
#include "data/ServerSchema.h"
#include "data/Statement.h"
#include "data/StoreConfig.h"
#include "data/Transaction.h"
#include "dbbuilder/BuilderDatabase.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace {

// Rows per insert statement: few round trips, a few hundred kilobytes of values; never more
// values than a statement may have.
constexpr int kRowsPerStatement = 500;
constexpr int kMostValues = 65535;

void run(QSqlQuery &q, const QString &sql) {
    if (!q.exec(sql)) throw AppError(ServerFaults::describe(q.lastError()));
}

// The lookup tables in the schema's order.
QStringList schemaTables() {
    QStringList out;
    for (const Schema::Table &t : Schema::tables()) out << t.name;
    return out;
}

// A value as the server reads it back unchanged: text as it is (the server's text cannot hold a
// zero character: it is left out), numbers written in full, the column's type made of them.
BoundStatement::Value valueOf(sqlite3_stmt *stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return std::nullopt;
    case SQLITE_INTEGER:
        return QByteArray::number(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return QByteArray::number(sqlite3_column_double(stmt, column), 'g', 17);
    default:
        return QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
    }
}

// The table's rows, several to a statement, every value bound.
qint64 copyTable(sqlite3 *source, Connection &server, const QString &table) {
    sqlite3_stmt *stmt = nullptr;
    const QByteArray select = QStringLiteral("select * from %1 order by rowid").arg(table).toUtf8();
    if (sqlite3_prepare_v2(source, select.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return -1; // a file made before this table existed
    }
    QStringList columns;
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) columns << QString::fromUtf8(sqlite3_column_name(stmt, c));
    const QString head = QStringLiteral("insert into %1 (%2) values ").arg(table, columns.join(u','));
    const QString row = u'(' + QStringList(columns.size(), QStringLiteral("?")).join(u',') + u')';
    const int rowsPerStatement = std::max<int>(1, std::min<int>(kRowsPerStatement, kMostValues / columns.size()));
    qint64 rows = 0;
    int pending = 0;
    std::vector<BoundStatement::Value> values;
    std::unique_ptr<BoundStatement> full; // the statement of a whole batch, made once
    const auto flush = [&] {
        if (pending == 0) return;
        const QString statement = head + QStringList(pending, row).join(u',');
        if (pending == rowsPerStatement) {
            if (!full) full = std::make_unique<BoundStatement>(server, statement);
            full->exec(values);
        } else {
            BoundStatement(server, statement).exec(values);
        }
        values.clear();
        pending = 0;
    };
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int c = 0; c < columns.size(); ++c) values.push_back(valueOf(stmt, c));
        if (++pending == rowsPerStatement) flush();
        ++rows;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) throw AppError(QString::fromUtf8(sqlite3_errmsg(source)));
    flush();
    return rows;
}

} // namespace

namespace ServerCopy {

namespace {
bool tablesThere(QSqlQuery &q) {
    // The names as one array value.
    const QString names = u'{' + schemaTables().join(u',') + u'}';
    if (!Statements::prepare(q, Statement("select count(*) from information_schema.tables where table_schema = "
                                          "current_schema() and table_name = any(?::text[])",
                                          {names})) ||
        !q.exec())
        throw AppError(QStringLiteral("服务器：%1").arg(q.lastError().text()));
    return q.next() && q.value(0).toInt() > 0;
}

// The server's statistics of the tables just written, for its plans. Only the program's own
// tables: analysing the whole database warns of every system table a user other than the
// superuser may not analyse, and a table the user does not own is skipped without a word.
void analyze(QSqlQuery &q, const QStringList &tables) {
    if (tables.isEmpty()) return;
    run(q, QStringLiteral("set client_min_messages = error"));
    run(q, QStringLiteral("analyze ") + tables.join(QStringLiteral(", ")));
    // The cases' keys are read from their index alone once the table's pages are marked visible.
    if (tables.contains(QStringLiteral("case_hs")) && q.exec(QStringLiteral("select to_regclass('case_hs_keys')")) &&
        q.next() && !q.value(0).isNull())
        run(q, QStringLiteral("vacuum (analyze) case_hs_keys"));
    run(q, QStringLiteral("reset client_min_messages"));
}

void requireFile(const QString &sqliteFile) {
    if (!QFileInfo(sqliteFile).isFile()) throw AppError(QStringLiteral("找不到数据库文件“%1”。").arg(sqliteFile));
}
} // namespace

bool hasTables(const QString &configFile) {
    Connection server(QStringLiteral("dbbuilder-server"));
    server.setConnectionString(StoreConfig::connectionString(configFile));
    server.ensureOpen();
    QSqlQuery q(server.database());
    return tablesThere(q);
}

QList<TableCount> replaceRows(const QString &sqliteFile, const QString &configFile, const QStringList &tables) {
    requireFile(sqliteFile);
    BuilderDatabase source(sqliteFile);
    Connection server(QStringLiteral("dbbuilder-server"));
    server.setConnectionString(StoreConfig::connectionString(configFile));
    Transaction transaction(server);
    QSqlQuery q(server.database());
    QList<TableCount> counts;
    // The cases' keys follow them by a trigger, row by row: for all of them, in one go.
    const bool keyed = tables.contains(QStringLiteral("case_hs")) &&
                       ServerKeyOrder::detect(server.database()).contains(QStringLiteral("case_hs"));
    if (keyed)
        for (const QString &s : ServerKeyOrder::beforeReplacingCases()) run(q, s);
    for (const QString &t : tables) {
        run(q, QStringLiteral("delete from %1").arg(t));
        if (const qint64 rows = copyTable(source.handle(), server, t); rows >= 0) counts << TableCount{t, rows};
    }
    if (keyed)
        for (const QString &s : ServerKeyOrder::afterReplacingCases()) run(q, s);
    transaction.commit();
    QStringList copied;
    for (const TableCount &c : counts) copied << c.table;
    analyze(q, copied);
    return counts;
}

QList<TableCount> copy(const QString &sqliteFile, const QString &configFile, bool replace) {
    requireFile(sqliteFile);
    BuilderDatabase source(sqliteFile);
    Connection server(QStringLiteral("dbbuilder-server"));
    server.setConnectionString(StoreConfig::connectionString(configFile));
    server.ensureOpen();
    QSqlQuery q(server.database());
    run(q, QStringLiteral("begin"));
    const QStringList tables = schemaTables();
    if (tablesThere(q)) {
        if (!replace) throw AppError(QStringLiteral("服务器上的数据库已有查询表；要替换它们请加 --force。"));
        for (const QString &t : tables + ServerKeyOrder::tables())
            run(q, QStringLiteral("drop table if exists %1").arg(t));
    }
    QStringList afterRows;
    for (const QString &s : ServerSchema::createStatements()) {
        if (ServerSchema::afterRows(s)) afterRows << s;
        else run(q, s);
    }
    QList<TableCount> counts;
    for (const QString &t : tables)
        if (const qint64 rows = copyTable(source.handle(), server, t); rows >= 0) counts << TableCount{t, rows};
    for (const QString &s : afterRows) run(q, s);
    run(q, QStringLiteral("commit"));
    analyze(q, tables);
    return counts;
}

} // namespace ServerCopy
