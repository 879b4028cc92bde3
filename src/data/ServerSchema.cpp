#include "data/ServerSchema.h"

#include "data/Schema.h"
#include "data/ServerDialect.h"
#include "data/ServerNameIndex.h"

#include <QRegularExpression>

namespace ServerSchema {

bool hasRowid(const QString &table) {
    static const QStringList selectedWhole{QStringLiteral("news"), QStringLiteral("news_ad"),
                                           QStringLiteral("hs_dm_tax")};
    return !selectedWhole.contains(table, Qt::CaseInsensitive);
}

QString convert(const QString &statement) {
    static const QRegularExpression table(QStringLiteral("^create table (if not exists )?(\\w+) \\((.*)\\)$"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression index(
        QStringLiteral("^create index (if not exists )?(\\w+) on (\\w+) \\((\\w+)\\)$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression textType(
        QStringLiteral("\\b(varchar\\(\\d+\\)|char\\(\\d+\\)|memo|datetime)( collate nocase)?"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression integerType(QStringLiteral("\\binteger\\b"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression doubleType(QStringLiteral("\\bdouble\\b"),
                                               QRegularExpression::CaseInsensitiveOption);
    if (const auto m = table.match(statement); m.hasMatch()) {
        QString columns = m.captured(3);
        columns.replace(textType, QStringLiteral("text collate \"C\""));
        columns.replace(integerType, QStringLiteral("bigint"));
        columns.replace(doubleType, QStringLiteral("double precision"));
        if (hasRowid(m.captured(2))) columns += QStringLiteral(", rowid bigserial");
        return QStringLiteral("create table %1%2 (%3)").arg(m.captured(1), m.captured(2), columns);
    }
    if (const auto m = index.match(statement); m.hasMatch()) {
        const QString column = m.captured(4);
        const QString key =
            ServerDialect::isCodeColumn(column) ? QStringLiteral("zendrik_nocase(%1)").arg(column) : column;
        return QStringLiteral("create index %1%2 on %3 (%4)").arg(m.captured(1), m.captured(2), m.captured(3), key);
    }
    return {}; // the name index, its triggers and its rebuild
}

QStringList createStatements() {
    QStringList out = ServerDialect::functions();
    for (const QString &s : Schema::createStatements())
        if (const QString converted = convert(s); !converted.isEmpty()) out << converted;
    return out + ServerNameIndex::createStatements();
}

} // namespace ServerSchema
