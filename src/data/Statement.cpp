#include "data/Statement.h"

#include "data/ResultSource.h"

#include <QSqlQuery>
#include <sqlite3.h>

namespace Statements {

Statement joined(const QList<Statement> &pieces, const QString &separator) {
    Statement out;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0) out.text += separator;
        out += pieces[i];
    }
    return out;
}

Statement countOf(const Statement &rows) {
    // The server wants a name for a subquery; the file's engine takes one.
    return Statement("select count(*) from (") + rows + Statement(") as counted");
}

QByteArray numbered(const QString &text) {
    QByteArray out;
    int n = 0;
    bool quoted = false;
    for (const char c : text.toUtf8()) {
        if (c == '\'') quoted = !quoted;
        if (c == '?' && !quoted) out += '$' + QByteArray::number(++n);
        else out += c;
    }
    return out;
}

bool prepare(QSqlQuery &query, const Statement &statement) {
    if (!query.prepare(statement.text)) return false;
    for (const QVariant &v : statement.values) query.addBindValue(v);
    return true;
}

int bind(sqlite3_stmt *stmt, const QVariantList &values) {
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &v = values[i];
        int rc = SQLITE_OK;
        if (v.isNull()) {
            rc = sqlite3_bind_null(stmt, i + 1);
        } else {
            switch (v.typeId()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::Bool:
                rc = sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
                break;
            case QMetaType::Double:
                rc = sqlite3_bind_double(stmt, i + 1, v.toDouble());
                break;
            default: {
                const QByteArray text = v.toString().toUtf8();
                rc = sqlite3_bind_text(stmt, i + 1, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            }
            }
        }
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}

} // namespace Statements
