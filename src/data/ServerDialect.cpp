#include "data/ServerDialect.h"

#include "data/Dialect.h"

#include <QRegularExpression>

namespace ServerDialect {

namespace {
// Folds A-Z to a-z and nothing else, as zendrik_nocase() on the server.
QString folded(QString text) {
    for (QChar &c : text)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + (u'a' - u'A'));
    return text;
}

// Replaces every match of the pattern by what the function makes of it.
template <typename Make> QString replaced(const QString &text, const QRegularExpression &re, Make make) {
    QString out;
    qsizetype from = 0;
    for (auto it = re.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += text.mid(from, m.capturedStart() - from) + make(m);
        from = m.capturedEnd();
    }
    return out + text.mid(from);
}
} // namespace

bool isCodeColumn(const QString &column) {
    static const QStringList codes{QStringLiteral("hs_code"), QStringLiteral("code_t"), QStringLiteral("code")};
    return codes.contains(column, Qt::CaseInsensitive);
}

QString translate(const QString &statement) {
    static const QRegularExpression like(QStringLiteral("\\b([A-Za-z_][\\w.]*)\\s+like\\s+'((?:[^']|'')*)'"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression equal(
        QStringLiteral("\\b((?:\\w+\\.)?(?:hs_code|code_t|code))\\s*=\\s*'((?:[^']|'')*)'"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression ordering(QStringLiteral("\\sorder\\s+by\\s+(hs_code|code_t|code)\\s*$"),
                                             QRegularExpression::CaseInsensitiveOption);
    QString sql = replaced(statement, like, [](const QRegularExpressionMatch &m) {
        return QStringLiteral("zendrik_nocase(%1) like '%2' escape ''").arg(m.captured(1), folded(m.captured(2)));
    });
    sql = replaced(sql, equal, [](const QRegularExpressionMatch &m) {
        return QStringLiteral("zendrik_nocase(%1) = '%2'").arg(m.captured(1), folded(m.captured(2)));
    });
    // A number is a condition where the program's engine reads non-zero as true; the server
    // wants a truth value.
    static const QRegularExpression bareInstr(
        QStringLiteral(
            "(?<=\\bwhere |\\bor |\\band |\\bnot |\\()instr\\(((?:'(?:[^']|'')*'|[^'()])*)\\)(?!\\s*[<>=!])"),
        QRegularExpression::CaseInsensitiveOption);
    sql = replaced(sql, bareInstr, [](const QRegularExpressionMatch &m) {
        return QStringLiteral("(instr(%1) <> 0)").arg(m.captured(1));
    });
    if (const auto m = ordering.match(sql); m.hasMatch())
        sql = sql.left(m.capturedStart()) + QStringLiteral(" order by zendrik_nocase(%1), rowid").arg(m.captured(1));
    return Dialect::translate(sql);
}

QStringList functions() {
    return {
        QStringLiteral("create or replace function zendrik_nocase(text) returns text language sql immutable strict "
                       "parallel safe as $$ select translate($1, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ', "
                       "'abcdefghijklmnopqrstuvwxyz') $$"),
        // 1-based position of s in t from position start; mode 0 compares exactly, any other
        // ignores case; 0 when absent; Null when t or s is Null; a start below 1 is an error.
        QStringLiteral("create or replace function instr(start integer, t text, s text, mode integer) "
                       "returns integer language plpgsql immutable parallel safe as $$ "
                       "declare p integer; begin "
                       "if t is null or s is null then return null; end if; "
                       "if start is null or start < 1 then "
                       "raise exception 'Invalid procedure call or argument'; end if; "
                       "if start > length(t) + 1 then return 0; end if; "
                       "if mode <> 0 then t := lower(t collate \"und-x-icu\"); s := lower(s collate \"und-x-icu\"); "
                       "end if; "
                       "p := strpos(substr(t, start), s); "
                       "return case when p = 0 then 0 else p + start - 1 end; end $$"),
    };
}

} // namespace ServerDialect
