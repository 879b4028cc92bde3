#include "app/MainWindow.h"

#include "chrome/ClickLabel.h"
#include "data/AppError.h"
#include "platform/Platform.h"
#include "updates/FeedRefresh.h"
#include "updates/HttpFetch.h"
#include "updates/JpegDecode.h"
#include "updates/XmlDocument.h"

#include <QLabel>
#include <QPixmap>
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

} // namespace

void MainWindow::UpdateNewad(const QString &newsAddress, const QString &adAddress) {
    try {
        std::optional<XmlDocument> news;
        try {
            news.emplace(loadFeed(newsAddress));
        } catch (const AppError &) {
            news.emplace(loadFeed(newsAddress)); // a second attempt at once
        }
        FeedRefresh::news(con1, *news);
        FeedRefresh::advertisements(con1, loadFeed(adAddress));
    } catch (const AppError &e) {
        Notify::error(this, e.message());
    }
}

void MainWindow::GetLogo() {
    qry9.open(con1, QStringLiteral("select * from news_ad"));
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
