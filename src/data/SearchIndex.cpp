#include "data/SearchIndex.h"

#include "data/CharTokenizer.h"

#include <sqlite3.h>

namespace SearchIndex {

namespace {
const QString kSuffix = QStringLiteral("_name_index");

int autoEntry(sqlite3 *db, const char **, const sqlite3_api_routines *) {
    // An engine without FTS5 still opens databases without the index.
    CharTokenizer::install(db);
    return SQLITE_OK;
}
} // namespace

void registerTokenizer() { sqlite3_auto_extension(reinterpret_cast<void (*)()>(autoEntry)); }

QString indexTable(const QString &table) { return table + kSuffix; }

QStringList createStatements() {
    // Only the cases are indexed: the tariff and the rulings are small enough to scan.
    const QString idx = indexTable(QStringLiteral("case_hs"));
    return {
        // External content: the index holds tokens only and reads names from case_hs by rowid.
        QStringLiteral("create virtual table %1 using fts5(name, content='case_hs', "
                       "content_rowid='rowid', tokenize='%2', columnsize=0)")
            .arg(idx, QLatin1String(CharTokenizer::kName)),
        QStringLiteral("create trigger %1_insert after insert on case_hs begin "
                       "insert into %1(rowid, name) values (new.rowid, new.name); end")
            .arg(idx),
        QStringLiteral("create trigger %1_delete after delete on case_hs begin "
                       "insert into %1(%1, rowid, name) values ('delete', old.rowid, old.name); end")
            .arg(idx),
        QStringLiteral("create trigger %1_update after update on case_hs begin "
                       "insert into %1(%1, rowid, name) values ('delete', old.rowid, old.name); "
                       "insert into %1(rowid, name) values (new.rowid, new.name); end")
            .arg(idx),
        QStringLiteral("insert into %1(%1) values ('rebuild')").arg(idx),
    };
}

QSet<QString> detect(sqlite3 *db) {
    QSet<QString> found;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, "select name from sqlite_master where type='table' and sql like '%using fts5%'", -1,
                           &stmt, nullptr) != SQLITE_OK)
        return found;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        if (name.endsWith(kSuffix, Qt::CaseInsensitive)) found.insert(name.chopped(kSuffix.size()).toLower());
    }
    sqlite3_finalize(stmt);
    return found;
}

} // namespace SearchIndex
