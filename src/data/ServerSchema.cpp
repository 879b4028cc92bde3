#include "data/ServerSchema.h"

#include "data/Schema.h"
#include "data/ServerDialect.h"
#include "data/ServerKeyOrder.h"
#include "data/ServerNameIndex.h"

namespace ServerSchema {

bool hasRowid(const QString &table) {
    static const QStringList selectedWhole{QStringLiteral("news"), QStringLiteral("news_ad"),
                                           QStringLiteral("hs_dm_tax")};
    return !selectedWhole.contains(table, Qt::CaseInsensitive);
}

QStringList tableStatements() {
    QStringList out;
    for (const Schema::Table &t : Schema::tables()) {
        const QString missing = t.ifMissing ? QStringLiteral("if not exists ") : QString();
        QStringList columns;
        for (const Schema::Column &c : t.columns) {
            // Text compares byte by byte, as the file's does.
            const QString type = c.kind == Schema::Column::Integer  ? QStringLiteral("bigint")
                                 : c.kind == Schema::Column::Double ? QStringLiteral("double precision")
                                                                    : QStringLiteral("text collate \"C\"");
            columns << c.name + u' ' + type;
        }
        if (hasRowid(t.name)) columns << QStringLiteral("rowid bigserial");
        out << QStringLiteral("create table %1%2 (%3)").arg(missing, t.name, columns.join(QStringLiteral(", ")));
        for (const auto &[index, column] : t.indexes) {
            // Code columns compare folded: their indexes are over the folded code.
            const QString key =
                ServerDialect::isCodeColumn(column) ? QStringLiteral("zendrik_nocase(%1)").arg(column) : column;
            out << QStringLiteral("create index %1%2 on %3 (%4)").arg(missing, index, t.name, key);
        }
    }
    return out;
}

QStringList createStatements() {
    return ServerDialect::functions() + tableStatements() + ServerNameIndex::createStatements() +
           ServerKeyOrder::createStatements();
}

bool afterRows(const QString &statement) {
    for (const char *start : {"create index", "insert into", "create trigger"})
        if (statement.startsWith(QLatin1String(start))) return true;
    return false;
}

} // namespace ServerSchema
