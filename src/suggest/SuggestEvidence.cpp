#include "suggest/SuggestEvidence.h"

#include "data/AppError.h"
#include "data/BoundStatement.h"
#include "data/Connection.h"
#include "data/Schema.h"
#include "data/Statement.h"
#include "suggest/SuggestText.h"

#include <QSqlQuery>

#include <algorithm>

#include <sqlite3.h>

namespace SuggestEvidence {

namespace {

[[noreturn]] void fail(sqlite3 *db) { throw AppError(QString::fromUtf8(sqlite3_errmsg(db))); }

void exec(sqlite3 *db, const QString &sql) {
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK) fail(db);
}

bool fileHasTable(sqlite3 *db) {
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, "select 1 from sqlite_master where type = 'table' and name = ?1", -1, &stmt, nullptr) !=
        SQLITE_OK)
        fail(db);
    sqlite3_bind_text(stmt, 1, kTable, -1, SQLITE_STATIC);
    const bool found = sqlite3_step(stmt) == SQLITE_ROW;
    sqlite3_finalize(stmt);
    return found;
}

// Appends the counts with one prepared statement, its values bound.
void write(sqlite3 *db, const Counts &counts) {
    sqlite3_stmt *stmt = nullptr;
    const QByteArray sql = QStringLiteral("insert into %1 (term, code, cases, rulings) values (?1, ?2, ?3, ?4)")
                               .arg(QLatin1String(kTable))
                               .toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK) fail(db);
    // In the key's order: the index's pages are then visited once each, not at random.
    QList<std::pair<QByteArray, Count>> rows;
    rows.reserve(counts.all().size());
    for (auto it = counts.all().begin(); it != counts.all().end(); ++it) rows.append({it.key().toUtf8(), *it});
    std::sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[key, count] : rows) {
        const qsizetype tab = key.indexOf('\t');
        sqlite3_bind_text(stmt, 1, key.constData(), int(tab), SQLITE_STATIC);
        sqlite3_bind_text(stmt, 2, key.constData() + tab + 1, int(key.size() - tab - 1), SQLITE_STATIC);
        sqlite3_bind_int64(stmt, 3, count.cases);
        sqlite3_bind_int64(stmt, 4, count.rulings);
        const int rc = sqlite3_step(stmt);
        sqlite3_reset(stmt);
        if (rc != SQLITE_DONE) {
            sqlite3_finalize(stmt);
            fail(db);
        }
    }
    sqlite3_finalize(stmt);
}

// Every row of a (name, code) select, counted by distinct pair.
QHash<QPair<QString, QString>, qint64> distinctNames(sqlite3 *db, const char *sql) {
    QHash<QPair<QString, QString>, qint64> out;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) fail(db);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const auto text = [&](int c) {
            return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, c)),
                                     sqlite3_column_bytes(stmt, c));
        };
        ++out[{text(0), text(1).left(kCodeChars)}];
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) fail(db);
    return out;
}

} // namespace

void Counts::add(const QString &name, const QString &storedCode, qint64 cases, qint64 rulings) {
    const QString code = storedCode.left(kCodeChars);
    if (code.size() < kCodeChars) return; // shorter than eight digits: no subheading to speak for
    Count &c = names_[name + u'\t' + code];
    c.cases += cases;
    c.rulings += rulings;
    counted_ = false;
}

const QHash<QString, Count> &Counts::all() const {
    if (counted_) return terms_;
    terms_.clear();
    for (auto it = names_.begin(); it != names_.end(); ++it) {
        const qsizetype tab = it.key().lastIndexOf(u'\t');
        const QString code = it.key().mid(tab);
        const auto bump = [&](const QString &term) {
            Count &c = terms_[term + code];
            c.cases += it->cases;
            c.rulings += it->rulings;
        };
        bump(QString());
        for (const QString &t : SuggestText::evidenceTerms(SuggestText::fold(it.key().left(tab)))) bump(t);
    }
    counted_ = true;
    return terms_;
}

void Counts::addCase(const QString &name, const QString &storedCode, qint64 times) { add(name, storedCode, times, 0); }

void Counts::addRuling(const QString &name, const QString &storedCode, qint64 times) {
    add(name, storedCode, 0, times);
}

void rebuild(sqlite3 *db) {
    // One transaction (or a part of the caller's): not a commit per row.
    exec(db, QStringLiteral("savepoint suggest_evidence"));
    for (const Schema::Table &t : Schema::tables())
        if (t.name == QLatin1String(kTable))
            for (const QString &s : Schema::createStatements({t})) exec(db, s);
    exec(db, QStringLiteral("delete from %1").arg(QLatin1String(kTable)));
    Counts counts;
    const auto cases = distinctNames(db, "select name, code from case_hs where name is not null and code is not null");
    for (auto it = cases.begin(); it != cases.end(); ++it) counts.addCase(it.key().first, it.key().second, *it);
    const auto rulings =
        distinctNames(db, "select g_name, code_t from hs_classify where g_name is not null and code_t is not null");
    for (auto it = rulings.begin(); it != rulings.end(); ++it) counts.addRuling(it.key().first, it.key().second, *it);
    write(db, counts);
    exec(db, QStringLiteral("release suggest_evidence"));
}

void addToFile(sqlite3 *db, const Counts &counts) {
    if (!counts.isEmpty() && fileHasTable(db)) write(db, counts);
}

void addToServer(Connection &connection, const Counts &counts) {
    if (counts.isEmpty()) return;
    QSqlQuery present(connection.database());
    if (!Statements::prepare(present, Statement("select to_regclass(?) is not null", {QString::fromLatin1(kTable)})) ||
        !present.exec() || !present.next() || !present.value(0).toBool())
        return;
    // All the counts in one statement: each column an array, a value of its own.
    QByteArray terms, codes, cases, rulings;
    for (auto it = counts.all().begin(); it != counts.all().end(); ++it) {
        const qsizetype tab = it.key().indexOf(u'\t');
        BoundStatement::appendArrayElement(terms, it.key().left(tab).toUtf8());
        BoundStatement::appendArrayElement(codes, it.key().mid(tab + 1).toUtf8());
        BoundStatement::appendArrayElement(cases, QByteArray::number(it->cases));
        BoundStatement::appendArrayElement(rulings, QByteArray::number(it->rulings));
    }
    BoundStatement insert(connection, QStringLiteral("insert into %1 (term, code, cases, rulings) select * from "
                                                     "unnest(?::text[], ?::text[], ?::bigint[], ?::bigint[])")
                                          .arg(QLatin1String(kTable)));
    insert.exec({'{' + terms + '}', '{' + codes + '}', '{' + cases + '}', '{' + rulings + '}'});
}

} // namespace SuggestEvidence
