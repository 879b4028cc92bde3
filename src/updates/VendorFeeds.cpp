#include "updates/VendorFeeds.h"

#include "data/AppError.h"
#include "updates/FeedRefresh.h"
#include "updates/JpegDecode.h"
#include "updates/XmlDocument.h"

#include <optional>

namespace VendorFeeds {
namespace {
// A feed is fetched whole, then parsed; either failing is a failed load. Like any document
// loaded from an address it may have moved: a few redirects are followed.
XmlDocument loadFeed(const QString &address) {
    HttpFetch::Limits feedLimits = limits();
    feedLimits.maxRedirects = 5;
    return XmlDocument::fromBytes(HttpFetch::get(address, feedLimits), address);
}
} // namespace

HttpFetch::Limits limits() {
    HttpFetch::Limits siteLimits;
    siteLimits.timeoutMs = 3000;
    return siteLimits;
}

void refresh(Connection &connection, const QString &newsAddress, const QString &adAddress) {
    std::optional<XmlDocument> news;
    try {
        news.emplace(loadFeed(newsAddress));
    } catch (const AppError &) {
        news.emplace(loadFeed(newsAddress)); // a second attempt at once
    }
    FeedRefresh::news(connection, *news);
    FeedRefresh::advertisements(connection, loadFeed(adAddress));
}

QImage picture(const QString &address) { return JpegDecode::decode(HttpFetch::get(address, limits())); }

} // namespace VendorFeeds
