#include "app/Unit2.h"

#include "data/AppError.h"
#include "platform/Platform.h"

// The refresh from the vendor's feeds and the advertisement download are not built yet: say so
// rather than pretend the site was read.
void TForm2::UpdateNewad(const QString &, const QString &) {
    Notify::error(this, QStringLiteral("The news feed refresh is not available in this version."));
}

void TForm2::GetLogo() {
    throw AppError(QStringLiteral("The advertisement download is not available in this version."));
}
