#pragma once
#include "rates/RateSheet.h"

#include <QStringList>

// Which of a code's published rates applies to goods of a chosen origin, without a window.
//
// Goods from any customs partner pay the MFN rate, or the provisional rate where one is
// published, whichever is lower; goods from a country of a trade agreement may pay that
// agreement's rate instead when it is lower still. The general rate applies only to origins
// without MFN treatment and is listed, not chosen. Rates compare by their number when they are
// of one form (all percentages, or all per the same unit), and a rate of nothing is the lowest
// of any; otherwise a mix, or a compound duty, leaves the choice to the user and no rate is
// marked.
namespace OriginRates {

// The countries or territories an agreement partner of the tariff export stands for, by their
// customs names: the groups (亚太, 东盟) list their members, 台湾/香港/澳门 are the territories,
// and any other partner is the one country of that name.
QStringList memberCountries(const QString &partner);
// Every country some known agreement covers: the origins offered when a database keeps no list.
QStringList agreementCountries();

struct Choice {
    QList<int> applicable; // rates of the sheet that apply to the origin: MFN, provisional, agreements
    int lowest = -1; // the lowest applicable rate; -1 without an origin, or when they do not compare
    int base = -1; // what applies without an agreement: provisional or MFN, the lower
    bool comparable = true;
};
Choice choose(const RateSheet &sheet, const QString &origin);

// One line for the user: which agreement gives the lowest rate, and what applies otherwise.
QString summary(const RateSheet &sheet, const Choice &choice, const QString &origin);

// How a rate's kind reads, with its partner for agreements: "最惠国税率", "协定税率（韩国）".
QString kindTitle(const PublishedRate &rate);
// A rate's text as shown: a plain percentage as "12%", anything else as published.
QString rateText(const PublishedRate &rate);
// Whom a rate is for, in a word: an agreement's member countries, the origins without MFN
// treatment for the general rate, exports, or every origin.
QString coverage(const PublishedRate &rate);

} // namespace OriginRates
