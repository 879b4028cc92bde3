#include "data/Dialect.h"

#include "data/SearchIndex.h"

#include <QRegularExpression>
#include <sqlite3.h>

namespace Dialect {

namespace {

QString quoted(QString text) { return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\''; }

QString steerNameSearch(const QString &statement, const NameIndexes &nameIndexes) {
    static const QRegularExpression from(QStringLiteral("\\bfrom\\s+(\\w+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QString table = from.match(statement).captured(1);
    const QString column = SearchIndex::nameColumn(table);
    if (column.isEmpty()) return statement;
    // The literal runs to the last "%'" before the ordering or the end; doubled apostrophes
    // inside it are part of the text.
    const QRegularExpression like(
        QStringLiteral("\\band\\s+%1\\s+like\\s+'%((?:[^']|'')*)%'(?:(\\s+order\\s+by\\s+)(\\w+))?(\\s*)$")
            .arg(QRegularExpression::escape(column)),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = like.match(statement);
    if (!m.hasMatch()) return statement;
    static const QRegularExpression otherLike(QStringLiteral("\\blike\\s+'"),
                                              QRegularExpression::CaseInsensitiveOption);
    if (statement.left(m.capturedStart(0)).contains(otherLike)) return statement;

    QString fragment = m.captured(1);
    fragment.replace(QStringLiteral("''"), QStringLiteral("'"));
    const bool wildcard = fragment.isEmpty() || fragment.contains(u'%') || fragment.contains(u'_');
    QString narrow;
    bool walk = false;
    if (!wildcard && nameIndexes.tables.contains(table)) {
        const QString idx = SearchIndex::indexTable(table);
        QString phrase = fragment;
        phrase.replace(u'"', QStringLiteral("\"\""));
        const QString match = QStringLiteral("%1 match %2").arg(idx, quoted(u'"' + phrase + u'"'));
        const qint64 matches =
            nameIndexes.count ? nameIndexes.count(QStringLiteral("select count(*) from %1 where %2").arg(idx, match))
                              : -1;
        walk = matches > kWalkAbove;
        // "+rowid" keeps the set from driving the loop, so the ordering's index does.
        narrow = QStringLiteral("and %1rowid in (select rowid from %2 where %3) ")
                     .arg(walk ? QStringLiteral("+") : QString(), idx, match);
    }
    QString out = statement.left(m.capturedStart(0)) + narrow;
    out += statement.mid(m.capturedStart(0), m.capturedEnd(1) + 2 - m.capturedStart(0));
    if (m.hasCaptured(3)) out += m.captured(2) + (walk ? QString() : QStringLiteral("+")) + m.captured(3);
    return out + m.captured(4);
}

} // namespace

QString translate(const QString &statement, const NameIndexes &nameIndexes) {
    static const QRegularExpression top(QStringLiteral("^(\\s*select\\s+)top\\s+(\\d+)\\s+"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QString steered = steerNameSearch(statement, nameIndexes);
    const auto m = top.match(steered);
    if (!m.hasMatch()) return steered;
    QString body = steered;
    body.replace(m.capturedStart(), m.capturedLength(), m.captured(1));
    while (body.endsWith(u' ') || body.endsWith(u';')) body.chop(1);
    return body + QStringLiteral(" limit ") + m.captured(2);
}

namespace {
// instr(start, text, search, mode): 1-based position of search in text from position start;
// mode 0 compares exactly, any other mode ignores case; 0 when absent; Null when text is Null.
void instrFunction(sqlite3_context *ctx, int, sqlite3_value **argv) {
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL || sqlite3_value_type(argv[2]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const qint64 start = sqlite3_value_int64(argv[0]);
    const auto text =
        QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(argv[1])), sqlite3_value_bytes(argv[1]));
    const auto search =
        QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(argv[2])), sqlite3_value_bytes(argv[2]));
    const Qt::CaseSensitivity cs = sqlite3_value_int(argv[3]) == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (start < 1) {
        sqlite3_result_error(ctx, "Invalid procedure call or argument", -1);
        return;
    }
    if (start > text.size() + 1) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const qsizetype at = text.indexOf(search, start - 1, cs);
    sqlite3_result_int64(ctx, at < 0 ? 0 : at + 1);
}
} // namespace

bool install(sqlite3 *db) {
    return sqlite3_create_function_v2(db, "instr", 4, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, instrFunction,
                                      nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace Dialect
