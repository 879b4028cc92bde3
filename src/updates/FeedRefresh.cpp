#include "updates/FeedRefresh.h"

#include "data/Connection.h"
#include "data/Gbk.h"
#include "data/Query.h"
#include "data/Transaction.h"
#include "updates/FlatRecord.h"
#include "updates/XmlDocument.h"

#include <functional>

namespace FeedRefresh {

namespace {

// The values go between apostrophes unescaped: the second has its apostrophes removed, the first
// is stored as the feed gives it (an apostrophe there fails the statement, and the table stays).
using InsertStatement = std::function<QString(const QString &first, const QString &second)>;

int refresh(Connection &connection, const QString &deleteStatement, const XmlDocument &feed,
            const InsertStatement &insertStatement) {
    Query query(QStringLiteral("qry8"));
    Transaction transaction(connection);
    query.execSql(connection, deleteStatement);
    int rows = 0;
    for (const xmlNode *record = feed.root()->children; record; record = record->next) {
        // Fields are read in order, so a short record fails on the first missing one.
        const FieldList fields = SplitFlatRecord(FlattenNode(record));
        const QString first = fields.text(0);
        const QString second = Gbk::decode(withoutApostrophes(fields.at(1)));
        query.execSql(connection, insertStatement(first, second));
        ++rows;
    }
    query.close();
    transaction.commit();
    return rows;
}

} // namespace

int news(Connection &connection, const XmlDocument &feed) {
    return refresh(connection, QStringLiteral("delete from news"), feed, [](const QString &id, const QString &title) {
        return QStringLiteral("insert into news values ('%1','%2')").arg(id, title);
    });
}

int advertisements(Connection &connection, const XmlDocument &feed) {
    return refresh(connection, QStringLiteral("delete from news_ad where type<>'0'"), feed,
                   [](const QString &picture, const QString &link) {
                       return QStringLiteral("insert into news_ad values ('%1','%2','1')").arg(picture, link);
                   });
}

} // namespace FeedRefresh
