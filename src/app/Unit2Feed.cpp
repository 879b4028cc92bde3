#include "app/Unit2.h"

#include "chrome/ClickLabel.h"
#include "data/AppError.h"
#include "platform/Platform.h"
#include "updates/FlatRecord.h"
#include "updates/HttpFetch.h"
#include "updates/JpegDecode.h"
#include "updates/XmlDocument.h"

#include <QLabel>
#include <QPixmap>
#include <QSqlError>
#include <functional>
#include <optional>

namespace {
// The vendor site is asked three or four times at start-up (news twice at worst, advertisements,
// picture): a silent site holds start-up up for three requests' timeouts at most.
HttpFetch::Limits vendorLimits() {
    HttpFetch::Limits limits;
    limits.timeoutMs = 3000;
    return limits;
}

// A feed is fetched whole, then parsed; either failing is a failed load. Like any document
// loaded from an address it may have moved: a few redirects are followed.
XmlDocument loadFeed(const QString &address) {
    HttpFetch::Limits limits = vendorLimits();
    limits.maxRedirects = 5;
    return XmlDocument::fromBytes(HttpFetch::get(address, limits), address);
}

void run(Query &query, Connection &connection, const QString &statement) {
    query.close();
    query.setConnection(&connection);
    query.setSql(statement);
    query.execSql();
}

QString withoutApostrophes(QString text) { return text.remove(u'\''); }

// Deletes a table's feed rows and inserts one row per record of the feed. All of it commits
// together: a bad record or a failing statement leaves the table as it was.
void refreshTable(Connection &connection, Query &query, const QString &deleteStatement, const XmlDocument &feed,
                  const std::function<QString(const FieldList &)> &insertStatement) {
    connection.ensureOpen();
    QSqlDatabase db = connection.database();
    if (!db.transaction()) throw AppError(db.lastError().text());
    try {
        run(query, connection, deleteStatement);
        for (const xmlNode *record = feed.root()->children; record; record = record->next)
            run(query, connection, insertStatement(SplitFlatRecord(FlattenNode(record))));
        if (!db.commit()) throw AppError(db.lastError().text());
    } catch (...) {
        db.rollback();
        throw;
    }
}
} // namespace

void TForm2::UpdateNewad(const QString &newsAddress, const QString &adAddress) {
    try {
        std::optional<XmlDocument> news;
        try {
            news.emplace(loadFeed(newsAddress));
        } catch (const AppError &) {
            news.emplace(loadFeed(newsAddress)); // a second attempt at once
        }
        // Fields are read in order, so a short record fails on the first missing one.
        refreshTable(con1, qry8, QStringLiteral("delete from news"), *news, [](const FieldList &fields) {
            const QString id = fields.text(0);
            const QString title = withoutApostrophes(fields.text(1));
            return QStringLiteral("insert into news values ('%1','%2')").arg(id, title);
        });

        const XmlDocument ads = loadFeed(adAddress);
        refreshTable(con1, qry8, QStringLiteral("delete from news_ad where type<>'0'"), ads,
                     [](const FieldList &fields) {
                         const QString first = fields.text(0);
                         const QString second = withoutApostrophes(fields.text(1));
                         return QStringLiteral("insert into news_ad values ('%1','%2','1')").arg(first, second);
                     });
    } catch (const AppError &e) {
        Notify::error(this, e.message());
    }
}

void TForm2::GetLogo() {
    qry9.close();
    qry9.setConnection(&con1);
    qry9.setSql(QStringLiteral("select * from news_ad"));
    qry9.open();
    if (qry9.eof()) {
        // No advertisement stored: show the local banner and link, as when the site is away.
        loadFallbackBanner();
        lblAdUrl->setText(vendorAddress(QStringLiteral("/ad/customs.html")));
        return;
    }
    // The picture and its link come from the last row; earlier rows do not matter.
    QVariant picture, link;
    for (; !qry9.eof(); qry9.next()) {
        picture = qry9.value(QStringLiteral("imagename"));
        link = qry9.value(QStringLiteral("imageurl"));
    }
    if (picture.isNull() || link.isNull())
        throw AppError(Messages::conversion(QStringLiteral("Null"), QStringLiteral("String")));

    const QImage image = JpegDecode::decode(HttpFetch::get(picture.toString(), vendorLimits()));
    // An empty answer is an empty picture: nothing is drawn over the header.
    if (image.isNull()) imgLogo->clear();
    else imgLogo->setPixmap(QPixmap::fromImage(image));
    lblAdUrl->setText(link.toString());
}
