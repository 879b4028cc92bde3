#include "data/Statement.h"

#include "data/ResultSource.h"

#include <QSqlQuery>
#include <libpq-fe.h>
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

QByteArray numbered(const QString &statement) {
    const QByteArray text = statement.toUtf8();
    QByteArray out;
    out.reserve(text.size() + 16);
    int next = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        const auto copyThrough = [&](qsizetype end) {
            const qsizetype stop = end < 0 ? text.size() : end;
            out += text.mid(i, stop - i);
            i = stop - 1;
        };
        if (c == '\'' || c == '"') {
            // To the closing quote; a doubled one closes and opens again.
            const qsizetype close = text.indexOf(c, i + 1);
            copyThrough(close < 0 ? -1 : close + 1);
        } else if (c == '-' && text.mid(i, 2) == "--") {
            const qsizetype end = text.indexOf('\n', i);
            copyThrough(end < 0 ? -1 : end + 1);
        } else if (c == '/' && text.mid(i, 2) == "/*") {
            const qsizetype end = text.indexOf("*/", i + 2);
            copyThrough(end < 0 ? -1 : end + 2);
        } else if (c == '?') {
            out += '$' + QByteArray::number(++next);
        } else {
            out += c;
        }
    }
    return out;
}

std::vector<ServerValue> serverValues(const QVariantList &values) {
    std::vector<ServerValue> out;
    out.reserve(values.size());
    for (const QVariant &v : values) out.push_back(v.isNull() ? ServerValue() : ServerValue(v.toString().toUtf8()));
    return out;
}

pg_result *execOnServer(pg_conn *connection, const QByteArray &numbered, const std::vector<ServerValue> &values) {
    std::vector<QByteArray> withoutZeros;
    withoutZeros.reserve(values.size());
    std::vector<const char *> texts;
    texts.reserve(values.size());
    for (const ServerValue &v : values) {
        if (!v) texts.push_back(nullptr);
        else if (!v->contains('\0')) texts.push_back(v->constData());
        else
            texts.push_back(
                withoutZeros.emplace_back(QByteArray(*v).removeIf([](char c) { return c == 0; })).constData());
    }
    return PQexecParams(connection, numbered.constData(), int(texts.size()), nullptr, texts.data(), nullptr, nullptr,
                        0);
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
