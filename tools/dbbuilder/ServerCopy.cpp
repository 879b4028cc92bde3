#include "dbbuilder/ServerCopy.h"

#include "data/AppError.h"
#include "data/Connection.h"
#include "data/Schema.h"
#include "data/ServerFaults.h"
#include "data/ServerSchema.h"
#include "data/StoreConfig.h"
#include "data/Transaction.h"
#include "dbbuilder/BuilderDatabase.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <sqlite3.h>

namespace {

// Rows per insert statement: few round trips, statements of a few hundred kilobytes.
constexpr int kRowsPerStatement = 500;

void run(QSqlQuery &q, const QString &sql) {
    if (!q.exec(sql)) throw AppError(ServerFaults::describe(q.lastError()));
}

// The lookup tables in the schema's order.
QStringList schemaTables() {
    static const QRegularExpression table(QStringLiteral("^create table (?:if not exists )?(\\w+) "),
                                          QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    for (const QString &s : Schema::createStatements())
        if (const auto m = table.match(s); m.hasMatch()) out << m.captured(1);
    return out;
}

// A value as a literal the server reads back unchanged: text between apostrophes (the server
// keeps backslashes as they are), numbers written in full.
QString literal(sqlite3_stmt *stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return QStringLiteral("null");
    case SQLITE_INTEGER:
        return QString::number(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return QStringLiteral("'%1'").arg(QString::number(sqlite3_column_double(stmt, column), 'g', 17));
    default: {
        QString text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)),
                                         sqlite3_column_bytes(stmt, column));
        text.remove(QChar(0)); // the server's text cannot hold it
        return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'';
    }
    }
}

qint64 copyTable(sqlite3 *source, QSqlQuery &q, const QString &table) {
    sqlite3_stmt *stmt = nullptr;
    const QByteArray select = QStringLiteral("select * from %1 order by rowid").arg(table).toUtf8();
    if (sqlite3_prepare_v2(source, select.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return -1; // a file made before this table existed
    }
    QStringList columns;
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) columns << QString::fromUtf8(sqlite3_column_name(stmt, c));
    const QString head = QStringLiteral("insert into %1 (%2) values ").arg(table, columns.join(u','));
    qint64 rows = 0;
    QStringList pending;
    const auto flush = [&] {
        if (pending.isEmpty()) return;
        run(q, head + pending.join(u','));
        pending.clear();
    };
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QStringList values;
        for (int c = 0; c < columns.size(); ++c) values << literal(stmt, c);
        pending << u'(' + values.join(u',') + u')';
        if (pending.size() == kRowsPerStatement) flush();
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
    run(q, QStringLiteral("select count(*) from information_schema.tables where table_schema = current_schema() "
                          "and table_name in ('%1')")
               .arg(schemaTables().join(QStringLiteral("','"))));
    return q.next() && q.value(0).toInt() > 0;
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
    for (const QString &t : tables) {
        run(q, QStringLiteral("delete from %1").arg(t));
        if (const qint64 rows = copyTable(source.handle(), q, t); rows >= 0) counts << TableCount{t, rows};
    }
    transaction.commit();
    run(q, QStringLiteral("analyze"));
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
        for (const QString &t : tables) run(q, QStringLiteral("drop table if exists %1").arg(t));
    }
    QStringList indexes;
    for (const QString &s : ServerSchema::createStatements()) {
        if (s.startsWith(QStringLiteral("create index"))) indexes << s;
        else run(q, s);
    }
    QList<TableCount> counts;
    for (const QString &t : tables)
        if (const qint64 rows = copyTable(source.handle(), q, t); rows >= 0) counts << TableCount{t, rows};
    for (const QString &s : indexes) run(q, s);
    run(q, QStringLiteral("commit"));
    run(q, QStringLiteral("analyze"));
    return counts;
}

} // namespace ServerCopy
