#include "data/SearchPlan.h"

#include "data/CaseOrder.h"
#include "data/SearchIndex.h"
#include "data/ServerNameIndex.h"

#include <QRegularExpression>

namespace SearchPlan {

namespace {
QString quoted(QString text) { return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\''; }

QString matchCondition(const SearchIntent &intent) {
    const QString idx = SearchIndex::indexTable(intent.table);
    return QStringLiteral("%1 match %2").arg(idx, quoted(indexQuery(intent.nameFragment)));
}

// The ordered rows' matches in code order with the tail's merged in. `select` is the statement's
// select list (plain column names), `where` its conditions; both stay and decide.
QString ordered(const QString &select, const QString &where, const SearchIntent &intent, qint64 to, bool tail) {
    const QString t = intent.table, code = intent.codeColumn, idx = SearchIndex::indexTable(t);
    const QString w = QString::number(to);
    // A code prefix is a range of the ordered rowids: its first and last row in code order.
    QString range = QStringLiteral(" and rowid <= ") + w;
    if (!intent.codePrefix.isEmpty()) {
        const QString rows = QStringLiteral("select rowid from %1 where %2 like %3 and +rowid <= %4 order by %2")
                                 .arg(t, code, quoted(intent.codePrefix + u'%'), w);
        range = QStringLiteral(" and rowid >= (%1 limit 1) and rowid <= (%1 desc, rowid desc limit 1)").arg(rows);
    }
    // The index drives (cross join) and its rowid order is the order: no sort.
    const QString head = QStringLiteral("select %1%2 from (select rowid as zr from %3 where %4%5) as zm cross join %6 "
                                        "where %6.rowid = zm.zr and %7")
                             .arg(select, tail ? QStringLiteral(", zm.zr as zk, null as zc, null as zt") : QString(),
                                  idx, matchCondition(intent), range, t, where);
    if (!tail) return head + QStringLiteral(" order by zm.zr");
    // A tail row goes after the last ordered row whose code sorts before or with its own (a null
    // code after the ordered null codes; before every row when there is none), after that row
    // itself (whose code and rowid keys are null) and among the tail rows there by code and rowid.
    const QString place =
        QStringLiteral("coalesce((select z.rowid from %1 as z where z.%2 <= %1.%2 and +z.rowid <= %3 order by z.%2 "
                       "desc, z.rowid desc limit 1), (select z.rowid from %1 as z where z.%2 is null and +z.rowid <= "
                       "%3 order by z.rowid desc limit 1), 0)")
            .arg(t, code, w);
    const QString rest =
        QStringLiteral("select %1, %2, %3, rowid from %4 where rowid in (select rowid from %5 where %6 "
                       "and rowid > %7) and %8")
            .arg(select, place, code, t, idx, matchCondition(intent), w, where);
    return QStringLiteral("select %1 from (%2 union all %3 order by zk, zc, zt)").arg(select, head, rest);
}
} // namespace

QString indexQuery(const QString &fragment) {
    QStringList phrases;
    QString piece;
    const auto flush = [&] {
        if (piece.isEmpty()) return;
        piece.replace(u'"', QStringLiteral("\"\""));
        phrases << u'"' + piece + u'"';
        piece.clear();
    };
    for (const QChar c : fragment) {
        if (c == u'%' || c == u'_') flush();
        else piece += c;
    }
    flush();
    return phrases.join(QStringLiteral(" AND "));
}

Choice choose(const SearchIntent &intent, const NameIndexes &indexes) {
    if (!intent.isSearch() || intent.nameFragment.isEmpty() || !indexes.count) return Plan::AsWritten;
    if (indexes.server)
        return indexes.serverKeys.contains(intent.table) && !ServerNameIndex::keys(intent.nameFragment).isEmpty()
                   ? Plan::ServerKeys
                   : Plan::AsWritten;
    const QString table = intent.table, code = intent.codeColumn;
    const bool indexed = indexes.tables.contains(table) && !indexQuery(intent.nameFragment).isEmpty();
    // Rows in code order: the index's order answers, unless too many matches lie in the tail.
    const qint64 to =
        indexed ? indexes.count(QStringLiteral("select clustered_to from %1").arg(CaseOrder::orderTable(table))) : -1;
    if (to > 0) {
        const qint64 tail =
            indexes.count(QStringLiteral("select count(*) from (select rowid from %1 where %2 and rowid > %3 limit %4)")
                              .arg(SearchIndex::indexTable(table), matchCondition(intent))
                              .arg(to)
                              .arg(kTailAtMost + 1));
        if (tail >= 0 && tail <= kTailAtMost) return {Plan::IndexOrdered, to, tail > 0};
    }
    // How many rows the index narrows to, counted no further than needed to decide: few are
    // fetched and sorted at once, wherever they lie.
    if (indexed) {
        const qint64 matches =
            indexes.count(QStringLiteral("select count(*) from (select rowid from %1 where %2 limit %3)")
                              .arg(SearchIndex::indexTable(table), matchCondition(intent))
                              .arg(kSortAtMost + 1));
        if (matches >= 0 && matches <= kSortAtMost) return Plan::IndexSorted;
    }
    const QString range = intent.codePrefix.isEmpty()
                              ? QString()
                              : QStringLiteral(" where %1 like %2").arg(code, quoted(intent.codePrefix + u'%'));
    const QString like = QStringLiteral("%1 like %2").arg(intent.nameColumn, quoted(u'%' + intent.nameFragment + u'%'));
    // Where the matches lie: the first rows in code order (of the prefix's range). A screen of
    // matches among them, or a range smaller than the probe, and the statement as written is best.
    const qint64 early =
        indexes.count(QStringLiteral("select count(*) from (select %1 from %2%3 order by %4 limit %5) where %6")
                          .arg(intent.nameColumn, table, range, code)
                          .arg(kProbeRows)
                          .arg(like));
    if (early >= kScreen) return Plan::AsWritten;
    if (!intent.codePrefix.isEmpty()) {
        const qint64 inRange = indexes.count(
            QStringLiteral("select count(*) from (select 1 from %1%2 limit %3)").arg(table, range).arg(kProbeRows));
        if (inRange >= 0 && inRange < kProbeRows) return Plan::AsWritten;
    }
    // Many matches that lie late: the code index walked, testing each entry against the set.
    if (indexed) return Plan::IndexWalk;
    return intent.codePrefix.isEmpty() ? Plan::ScanNames : Plan::AsWritten;
}

QString apply(const QString &statement, const SearchIntent &intent, Choice choice) {
    Plan plan = choice.plan;
    const QString ordering = QStringLiteral(" order by ") + intent.codeColumn;
    if (plan == Plan::AsWritten || !intent.isSearch() || !statement.endsWith(ordering)) return statement;
    const bool narrows = plan == Plan::IndexSorted || plan == Plan::IndexWalk || plan == Plan::IndexOrdered;
    if (narrows && indexQuery(intent.nameFragment).isEmpty()) plan = Plan::ScanNames;
    QString out = statement.chopped(ordering.size());
    const qsizetype name = out.lastIndexOf(QStringLiteral(" and %1 like '%").arg(intent.nameColumn));
    if (plan == Plan::ServerKeys) {
        // The server's own ordering stays: its dialect translates it.
        const QString keys = ServerNameIndex::condition(intent.nameColumn, intent.nameFragment);
        if (name < 0 || keys.isEmpty()) return statement;
        return out.insert(name + 5, keys + QStringLiteral(" and ")) + ordering;
    }
    if (plan == Plan::IndexOrdered) {
        // "select <column names> from <table> where <conditions>": other shapes stay as written.
        static const QRegularExpression shape(QStringLiteral("^select (\\w+(?:,\\w+)*) from (\\w+) where (.*)$"),
                                              QRegularExpression::DotMatchesEverythingOption);
        const auto m = shape.match(out);
        if (!m.hasMatch() || m.captured(2) != intent.table) return statement;
        return ordered(m.captured(1), m.captured(3), intent, choice.orderedTo, choice.tail);
    }
    if (plan == Plan::IndexSorted || plan == Plan::IndexWalk) {
        // "+rowid" keeps the set from driving the loop, so the ordering's index does. The set goes
        // before the name's condition, so an index entry outside it is passed over without its row
        // being fetched.
        const QString set = QStringLiteral("%1rowid in (select rowid from %2 where %3) and ")
                                .arg(plan == Plan::IndexWalk ? QStringLiteral("+") : QString(),
                                     SearchIndex::indexTable(intent.table), matchCondition(intent));
        if (name < 0) return statement;
        out.insert(name + 5, set);
    }
    return out + QStringLiteral(" order by ") + (plan == Plan::IndexWalk ? QString() : QStringLiteral("+")) +
           intent.codeColumn;
}

} // namespace SearchPlan
