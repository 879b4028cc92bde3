#include "app/AdvertBanner.h"

#include "chrome/ClickLabel.h"
#include "data/AppError.h"
#include "data/DatabasePath.h"
#include "data/Query.h"
#include "platform/Platform.h"
#include "updates/VendorFeeds.h"

#include <QFile>
#include <QPixmap>

AdvertBanner::AdvertBanner(QWidget *client) : QObject(client) {
    setObjectName(QStringLiteral("advertBanner"));
    picture_ = new ClickLabel(client);
    picture_->setObjectName(QStringLiteral("imgLogo"));
    picture_->setGeometry(394, 8, 385, 65);
    picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture_->setCursor(Qt::PointingHandCursor);
    connect(picture_, &ClickLabel::clicked, this, [this] {
        emit clicked();
        Platform::instance().openAddress(address_);
    });
}

void AdvertBanner::showFallback() {
    const QString path = DatabasePath::besideExecutable(QStringLiteral("images\\banner.bmp"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw AppError(Messages::cannotOpenFile(path, file.errorString()));
    QPixmap banner;
    if (!banner.loadFromData(file.readAll(), "BMP"))
        throw AppError(Messages::cannotOpenFile(path, QStringLiteral("该文件不是可读取的位图。")));
    picture_->setPixmap(banner);
    address_ = Platform::instance().vendorRoot() + QStringLiteral("/ad/customs.html");
}

void AdvertBanner::showStored(Connection &connection) {
    Query stored(QStringLiteral("qry9"));
    stored.open(connection, QStringLiteral("select * from news_ad"));
    if (stored.eof()) {
        showFallback();
        return;
    }
    // The picture and its link come from the last row; earlier rows do not matter.
    QVariant picture, link;
    for (; !stored.eof(); stored.next()) {
        picture = stored.value(QStringLiteral("imagename"));
        link = stored.value(QStringLiteral("imageurl"));
    }
    if (picture.isNull() || link.isNull())
        throw AppError(Messages::conversion(QStringLiteral("Null"), QStringLiteral("String")));

    const QImage image = VendorFeeds::picture(picture.toString());
    // An empty answer is an empty picture: nothing is drawn over the header.
    if (image.isNull()) picture_->clear();
    else picture_->setPixmap(QPixmap::fromImage(image));
    address_ = link.toString();
}
