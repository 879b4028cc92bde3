#pragma once
#include "updates/HttpFetch.h"

#include <QImage>
#include <QString>

class Connection;

// The vendor site as the program reads it at start-up: the news and advertisement feeds stored
// in the lookup database, and the advertisement's picture. Failures throw AppError.
namespace VendorFeeds {

// The site is asked three or four times at start-up (news twice at worst, advertisements,
// picture): a silent site holds start-up up for three requests' timeouts at most.
HttpFetch::Limits limits();
// Stores both feeds; a news feed that fails is asked for once more at once.
void refresh(Connection &connection, const QString &newsAddress, const QString &adAddress);
// The advertisement picture at an address; a null image for an empty answer.
QImage picture(const QString &address);

} // namespace VendorFeeds
