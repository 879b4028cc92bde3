#include "data/ServerNameIndex.h"

#include "data/ServerStore.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <algorithm>

namespace ServerNameIndex {

namespace {
struct Indexed {
    QString table, column;
};
// The searched tables and their name columns. The tariff and the rulings too, unlike the file's
// index: a scan of their 10,000 names through the folding costs the server about 10 ms each.
const QList<Indexed> &indexed() {
    static const QList<Indexed> all{{QStringLiteral("case_hs"), QStringLiteral("name")},
                                    {QStringLiteral("official_hs"), QStringLiteral("name")},
                                    {QStringLiteral("hs_classify"), QStringLiteral("g_name")}};
    return all;
}
} // namespace

QString indexName(const QString &table) { return table + QStringLiteral("_name_grams"); }

QStringList createStatements() {
    QStringList out{
        // Characters are the server's (code points), as length() and substr() count them. PL/pgSQL
        // rather than SQL: it is never inlined, so a scan tests the cheap LIKE first and makes
        // the keys of the rows it passes only.
        QStringLiteral("create or replace function zendrik_grams(name text) returns text[] language plpgsql "
                       "immutable strict parallel safe as $$ "
                       "declare f text := zendrik_nocase(name); n integer := length(f); g text[] := '{}'; begin "
                       "for i in 1..n loop g := g || substr(f, i, 1); "
                       "if i < n then g := g || substr(f, i, 2); end if; end loop; "
                       "return g; end $$"),
    };
    for (const Indexed &i : indexed())
        out << QStringLiteral("create index %1 on %2 using gin (zendrik_grams(%3))")
                   .arg(indexName(i.table), i.table, i.column);
    return out;
}

QStringList keys(const QString &fragment) {
    QStringList out;
    QList<char32_t> piece;
    const auto flush = [&] {
        if (piece.size() == 1) out << QString::fromUcs4(piece.constData(), 1);
        for (qsizetype i = 0; i + 1 < piece.size(); ++i) out << QString::fromUcs4(piece.constData() + i, 2);
        piece.clear();
    };
    for (const char32_t c : ServerStore::folded(fragment).toUcs4()) {
        if (c == U'%' || c == U'_') flush();
        else piece << c;
    }
    flush();
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

Statement condition(const QString &column, const QString &fragment) {
    const QStringList literals = keys(fragment);
    if (literals.isEmpty()) return {};
    Statement out(QStringLiteral("zendrik_grams(%1) @> array[").arg(column));
    for (qsizetype i = 0; i < literals.size(); ++i) out += (i ? QStringLiteral(",") : QString()) + bound(literals[i]);
    return out + QStringLiteral("]::text[]");
}

QSet<QString> detect(const QSqlDatabase &db) {
    QList<Statement> names;
    for (const Indexed &i : indexed()) names << bound(indexName(i.table));
    QSqlQuery q(db);
    QSet<QString> out;
    // The keys are characters: on a database of another encoding the server's substr() would
    // count bytes, and the index would miss names the LIKE finds.
    const Statement find = Statement("select tablename from pg_indexes where schemaname = current_schema() and "
                                     "indexname in (") +
                           Statements::joined(names, QStringLiteral(",")) +
                           Statement(") and current_setting('server_encoding') = 'UTF8'");
    if (!Statements::prepare(q, find) || !q.exec()) return out;
    while (q.next()) out << q.value(0).toString();
    return out;
}

} // namespace ServerNameIndex
