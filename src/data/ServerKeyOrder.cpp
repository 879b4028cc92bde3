#include "data/ServerKeyOrder.h"

#include "data/ServerNameIndex.h"
#include "data/ServerStore.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace ServerKeyOrder {

namespace {
const QString kFill = QStringLiteral("insert into case_hs_keys select k, zendrik_nocase(code), rowid from case_hs "
                                     "cross join lateral zendrik_keys(name) as k");
const QString kCount =
    QStringLiteral("insert into case_hs_key_counts select key, count(*) from case_hs_keys group by key");
const QStringList kTriggers{QStringLiteral("case_hs_keys_added"), QStringLiteral("case_hs_keys_removed"),
                            QStringLiteral("case_hs_keys_changed")};

bool isWildcard(QChar c) { return c == u'%' || c == u'_'; }
} // namespace

QStringList createStatements() {
    // The keys of rows that came or went (a transition table's), the counts by key.
    const auto keysOf = [](const char *rows) {
        return QStringLiteral("select k, zendrik_nocase(t.code) as code, t.rowid from %1 as t cross join lateral "
                              "zendrik_keys(t.name) as k")
            .arg(QLatin1String(rows));
    };
    const auto add = [&](const char *rows) {
        return QStringLiteral("insert into case_hs_keys %1; insert into case_hs_key_counts select k, count(*) from "
                              "(%1) as g group by k on conflict (key) do update set n = case_hs_key_counts.n + "
                              "excluded.n; ")
            .arg(keysOf(rows));
    };
    // A row's keys are found again by their whole index key (a null code apart): a range of
    // the index, not a scan of every row of a common key.
    const auto remove = [&](const char *rows) {
        return QStringLiteral("delete from case_hs_keys as c using (%1) as g where c.key = g.k and c.code = g.code and "
                              "c.rowid = g.rowid; delete from case_hs_keys as c using (%1) as g where g.code is null "
                              "and c.key = g.k and c.code is null and c.rowid = g.rowid; update case_hs_key_counts as "
                              "c set n = c.n - g.n from (select k, count(*) as n from (%1) as x group by k) as g where "
                              "c.key = g.k; ")
            .arg(keysOf(rows));
    };
    // An update changes the keys only of rows whose name, code or rowid it changed.
    const QString changed = QStringLiteral(
        "create temporary table if not exists %1 (like case_hs) on commit drop; insert into %1 select * from %2 as "
        "x where not exists (select 1 from %3 as y where y.rowid = x.rowid and y.name is not distinct from x.name and "
        "y.code is not distinct from x.code); ");
    return {
        QStringLiteral("create or replace function zendrik_keys(name text) returns setof text language sql immutable "
                       "strict parallel safe as $$ select distinct unnest(zendrik_grams(name)) $$"),
        QStringLiteral("create or replace function case_hs_keys_follow() returns trigger language plpgsql as $$ begin "
                       "if tg_op = 'INSERT' then ") +
            add("added") + QStringLiteral("elsif tg_op = 'DELETE' then ") + remove("removed") +
            QStringLiteral("else ") +
            changed.arg(QStringLiteral("zendrik_gone"), QStringLiteral("removed"), QStringLiteral("added")) +
            changed.arg(QStringLiteral("zendrik_come"), QStringLiteral("added"), QStringLiteral("removed")) +
            remove("zendrik_gone") + add("zendrik_come") +
            QStringLiteral("drop table zendrik_gone; drop table zendrik_come; end if; return null; end $$"),
        QStringLiteral("create table case_hs_keys (key text collate \"C\" not null, code text collate \"C\", "
                       "rowid bigint not null)"),
        QStringLiteral("create table case_hs_key_counts (key text collate \"C\" primary key, n bigint not null)"),
        kFill,
        kCount,
        QStringLiteral("create index case_hs_keys_order on case_hs_keys (key, code, rowid)"),
        QStringLiteral("create index case_hs_rowid on case_hs (rowid)"),
        QStringLiteral("create trigger case_hs_keys_added after insert on case_hs referencing new table as added for "
                       "each statement execute function case_hs_keys_follow()"),
        QStringLiteral("create trigger case_hs_keys_removed after delete on case_hs referencing old table as removed "
                       "for each statement execute function case_hs_keys_follow()"),
        QStringLiteral("create trigger case_hs_keys_changed after update on case_hs referencing old table as removed "
                       "new table as added for each statement execute function case_hs_keys_follow()"),
    };
}

QStringList tables() { return {QStringLiteral("case_hs_keys"), QStringLiteral("case_hs_key_counts")}; }

QStringList beforeReplacingCases() {
    QStringList out;
    for (const QString &t : kTriggers) out << QStringLiteral("alter table case_hs disable trigger %1").arg(t);
    return out << QStringLiteral("truncate case_hs_keys, case_hs_key_counts");
}

QStringList afterReplacingCases() {
    QStringList out{kFill, kCount};
    for (const QString &t : kTriggers) out << QStringLiteral("alter table case_hs enable trigger %1").arg(t);
    return out;
}

QSet<QString> detect(const QSqlDatabase &db) {
    QSqlQuery q(db);
    // Keys are the server's characters: on a database of another encoding they would be bytes.
    if (!q.exec(QStringLiteral("select 1 from pg_trigger where tgname = 'case_hs_keys_changed' and "
                               "current_setting('server_encoding') = 'UTF8'")) ||
        !q.next())
        return {};
    return {QStringLiteral("case_hs")};
}

Statement matches(const QString &fragment, const QString &codePrefix, bool descending) {
    const QStringList keys = ServerNameIndex::keys(fragment);
    if (keys.isEmpty()) return {};
    Statement key = bound(keys.first());
    if (keys.size() > 1) {
        // The rarest key: the fewest rows to read for the matches.
        QList<Statement> each;
        for (const QString &k : keys) each << bound(k);
        key =
            Statement("(select k from unnest(array[") + Statements::joined(each, QStringLiteral(",")) +
            Statement("]::text[]) as k order by coalesce((select n from case_hs_key_counts as c where c.key = k), 0), "
                      "k limit 1)");
    }
    Statement out = Statement("(select rowid as r, code as zc from case_hs_keys where key = ") + key;
    // Codes compare as "C", code point by code point: the codes that start with the prefix lie
    // from it up to the prefix with its last character one higher.
    QString start = ServerStore::folded(codePrefix);
    for (qsizetype i = 0; i < start.size(); ++i)
        if (isWildcard(start[i])) start.truncate(i);
    if (!start.isEmpty()) {
        out += Statement(" and code >= ") + bound(start);
        QList<uint> above = start.toUcs4();
        if (above.last() < 0x10FFFF) {
            ++above.last();
            out += Statement(" and code < ") +
                   bound(QString::fromUcs4(reinterpret_cast<const char32_t *>(above.constData()), above.size()));
        }
    }
    const QString direction = descending ? QStringLiteral(" desc") : QString();
    // "offset 0": the planner keeps the subquery as written, read from the index in order.
    return out + QStringLiteral(" order by code%1, rowid%1 offset 0)").arg(direction);
}

Statement exactCount(const QString &fragment) {
    const QList<uint> chars = ServerStore::folded(fragment).toUcs4();
    if (chars.isEmpty() || chars.size() > 2 || fragment.contains(u'%') || fragment.contains(u'_')) return {};
    return {QStringLiteral("select coalesce((select n from case_hs_key_counts where key = ?), 0)"),
            {ServerStore::folded(fragment)}};
}

} // namespace ServerKeyOrder
