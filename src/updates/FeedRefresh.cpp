#include "updates/FeedRefresh.h"

#include "data/BoundStatement.h"
#include "data/Connection.h"
#include "data/Query.h"
#include "data/Transaction.h"
#include "updates/FlatRecord.h"
#include "updates/XmlDocument.h"

namespace FeedRefresh {

namespace {

// The feed comes over plain HTTP: its fields are stored exactly as it gives them, bound to the
// insert as values, never written into it.
int refresh(Connection &connection, const QString &deleteStatement, const XmlDocument &feed,
            const QString &insertStatement) {
    Query query(QStringLiteral("qry8"));
    Transaction transaction(connection);
    query.execSql(connection, deleteStatement);
    query.close();
    BoundStatement insert(connection, insertStatement);
    int rows = 0;
    for (const xmlNode *record = feed.root()->children; record; record = record->next) {
        // Fields are read in order, so a short record fails on the first missing one.
        const FieldList fields = SplitFlatRecord(FlattenNode(record, Apostrophes::Keep));
        const QByteArray first = fields.text(0).toUtf8();
        const QByteArray second = fields.text(1).toUtf8();
        insert.exec({first, second});
        ++rows;
    }
    transaction.commit();
    return rows;
}

} // namespace

int news(Connection &connection, const XmlDocument &feed) {
    return refresh(connection, QStringLiteral("delete from news"), feed,
                   QStringLiteral("insert into news values (?, ?)"));
}

int advertisements(Connection &connection, const XmlDocument &feed) {
    return refresh(connection, QStringLiteral("delete from news_ad where type<>'0'"), feed,
                   QStringLiteral("insert into news_ad values (?, ?, '1')"));
}

} // namespace FeedRefresh
