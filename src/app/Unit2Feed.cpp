#include "app/Unit2.h"

#include "chrome/ClickLabel.h"
#include "data/AppError.h"
#include "platform/Platform.h"
#include "updates/HttpFetch.h"
#include "updates/JpegDecode.h"

#include <QLabel>
#include <QPixmap>

namespace {
// However the vendor site behaves, the feeds and the picture together hold up start-up for at
// most this long; each single request also has its own timeout.
constexpr int kVendorBudgetMs = 8000;

HttpFetch::Limits vendorLimits(const QDeadlineTimer &deadline) {
    HttpFetch::Limits limits;
    limits.deadline = deadline;
    return limits;
}
} // namespace

void TForm2::UpdateNewad(const QString &, const QString &) {
    vendorDeadline = QDeadlineTimer(kVendorBudgetMs);
    Notify::error(this, QStringLiteral("The news feed refresh is not available in this version."));
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

    const QImage image = JpegDecode::decode(HttpFetch::get(picture.toString(), vendorLimits(vendorDeadline)));
    // An empty answer is an empty picture: nothing is drawn over the header.
    if (image.isNull())
        imgLogo->clear();
    else
        imgLogo->setPixmap(QPixmap::fromImage(image));
    lblAdUrl->setText(link.toString());
}
