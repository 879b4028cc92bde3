#include "data/CaseOrder.h"

#include "data/AppError.h"
#include "data/Schema.h"
#include "data/SearchIndex.h"
#include "data/Statement.h"

#include <QStringList>
#include <sqlite3.h>

namespace CaseOrder {

namespace {
const QString kTable = QStringLiteral("case_hs");
const QString kSorting = QStringLiteral("case_hs_sorting");

void exec(sqlite3 *db, const QString &sql) {
    char *error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        throw AppError(message);
    }
}

QStringList column(sqlite3 *db, const Statement &sql) {
    QStringList values;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.text.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK ||
        Statements::bind(stmt, sql.values) != SQLITE_OK) {
        sqlite3_finalize(stmt);
        throw AppError(QString::fromUtf8(sqlite3_errmsg(db)));
    }
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
        values << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) throw AppError(QString::fromUtf8(sqlite3_errmsg(db)));
    return values;
}

// The guards that lower the record when the order no longer holds up to it.
QStringList guards() {
    const QString order = orderTable(kTable);
    const QString to = QStringLiteral("(select clustered_to from %1)").arg(order);
    return {
        // Deleting the highest rows would let the next inserts take their rowids again: the end
        // moves down to the highest row left.
        QStringLiteral("create trigger %1_delete after delete on %2 when coalesce((select max(rowid) from %2), 0) "
                       "< %3 begin update %1 set clustered_to = coalesce((select max(rowid) from %2), 0); end")
            .arg(order, kTable, to),
        QStringLiteral("create trigger %1_update after update on %2 when (old.rowid <= %3 or new.rowid <= %3) "
                       "and (new.rowid is not old.rowid or new.code is not old.code) begin update %1 set "
                       "clustered_to = min(clustered_to, old.rowid - 1, new.rowid - 1); end")
            .arg(order, kTable, to),
    };
}

void createRuns(sqlite3 *db) {
    exec(db, QStringLiteral("create table if not exists %1 (first_rowid integer primary key)").arg(runsTable(kTable)));
}
} // namespace

QByteArray folded(QByteArrayView code) {
    QByteArray out = code.toByteArray();
    for (char &c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

QString orderTable(const QString &table) { return table + QStringLiteral("_order"); }

QString runsTable(const QString &table) { return table + QStringLiteral("_runs"); }

void extend(sqlite3 *db, qint64 first, qint64 last) {
    if (first > last) return;
    const QString order = orderTable(kTable);
    if (column(db, Statement("select 1 from sqlite_master where type='table' and name=?", {order})).isEmpty()) return;
    const QStringList end = column(db, Statement(QStringLiteral("select clustered_to from %1").arg(order)));
    if (end.size() != 1 || end.first().toLongLong() != first - 1) return;
    createRuns(db);
    const QString runs = runsTable(kTable);
    // Entries left above an end the guards lowered are stale.
    column(db, Statement(QStringLiteral("delete from %1 where first_rowid >= ?").arg(runs), {first}));
    column(db, Statement(QStringLiteral("insert into %1 values (?)").arg(runs), {first}));
    column(db, Statement(QStringLiteral("update %1 set clustered_to = ?").arg(order), {last}));
}

void cluster(sqlite3 *db) {
    const QString order = orderTable(kTable);
    exec(db, QStringLiteral("savepoint cluster_cases"));
    try {
        if (column(db, Statement("select 1 from sqlite_master where type='table' and name=?", {kTable})).isEmpty())
            throw AppError(QStringLiteral("no table %1").arg(kTable));
        // Its indexes first, then its triggers; the guards are made anew below.
        const QStringList dependents =
            column(db, Statement("select sql from sqlite_master where tbl_name=? and type in ('index','trigger') and "
                                 "sql is not null and name not like ? order by type='trigger'",
                                 {kTable, order + u'%'}));
        // The same columns under another name, from the schema's description.
        for (Schema::Table t : Schema::tables())
            if (t.name == kTable) {
                t.name = kSorting;
                t.indexes.clear();
                exec(db, Schema::createStatements({t}).first());
            }
        // Equal codes keep their former order: the one a plain "order by code" gives them.
        exec(db, QStringLiteral("insert into %1 select * from %2 order by code, rowid").arg(kSorting, kTable));
        exec(db, QStringLiteral("drop table %1").arg(kTable));
        exec(db, QStringLiteral("alter table %1 rename to %2").arg(kSorting, kTable));
        for (const QString &s : dependents) exec(db, s);
        const QString index = SearchIndex::indexTable(kTable);
        if (!column(db, Statement("select name from sqlite_master where name=?", {index})).isEmpty())
            exec(db, QStringLiteral("insert into %1(%1) values ('rebuild')").arg(index));
        exec(db, QStringLiteral("create table if not exists %1 (clustered_to integer)").arg(order));
        exec(db, QStringLiteral("delete from %1").arg(order));
        exec(db, QStringLiteral("insert into %1 select coalesce(max(rowid), 0) from %2").arg(order, kTable));
        createRuns(db);
        exec(db, QStringLiteral("delete from %1").arg(runsTable(kTable)));
        for (const QString &s : guards()) exec(db, s);
        exec(db, QStringLiteral("release cluster_cases"));
    } catch (...) {
        sqlite3_exec(db, "rollback to cluster_cases; release cluster_cases", nullptr, nullptr, nullptr);
        throw;
    }
}

} // namespace CaseOrder
