#include "rates/RateSheet.h"

#include "data/AppError.h"
#include "data/RateSchema.h"
#include "rates/OriginRates.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QSqlQuery run(const QSqlDatabase &db, const QString &sql, const QVariantList &values = {}) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(sql)) throw AppError(q.lastError().text());
    for (const QVariant &v : values) q.addBindValue(v);
    if (!q.exec()) throw AppError(q.lastError().text());
    return q;
}

bool hasAnyRate(const QSqlDatabase &db) {
    // Asked of the driver, so a database server answers as the file does.
    if (!db.tables().contains(RateSchema::kRateTable, Qt::CaseInsensitive)) return false;
    QSqlQuery any = run(db, QStringLiteral("select 1 from tariff_rate limit 1"));
    return any.next();
}

} // namespace

std::optional<RateAmount> rateAmount(const PublishedRate &rate) {
    if (rate.percent) return RateAmount{*rate.percent, QString()};
    static const QRegularExpression perUnit(QStringLiteral("^(\\d+(?:\\.\\d+)?)(元/\\S+)$"));
    QString text = rate.text;
    text.remove(u' ');
    const QRegularExpressionMatch m = perUnit.match(text);
    if (!m.hasMatch()) return std::nullopt;
    return RateAmount{m.captured(1).toDouble(), m.captured(2)};
}

RateSheet RateSheet::read(const QSqlDatabase &db, const QString &scrambledCode) {
    RateSheet sheet;
    if (!hasAnyRate(db)) return sheet;
    QSqlQuery q = run(db,
                      QStringLiteral("select kind, partner, rate_text, rate_percent from tariff_rate "
                                     "where code = ? order by rowid"),
                      {scrambledCode});
    while (q.next()) {
        PublishedRate r{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), std::nullopt};
        if (!q.value(3).isNull()) r.percent = q.value(3).toDouble();
        sheet.rates_.append(r);
    }
    sheet.status_ = sheet.rates_.isEmpty() ? Status::NoRates : Status::Stored;
    return sheet;
}

RateSheet RateSheet::fromRates(QList<PublishedRate> rates) {
    RateSheet sheet;
    sheet.rates_ = std::move(rates);
    sheet.status_ = sheet.rates_.isEmpty() ? Status::NoRates : Status::Stored;
    return sheet;
}

int RateSheet::indexOf(const QString &kind) const {
    for (int i = 0; i < rates_.size(); ++i)
        if (rates_[i].kind == kind) return i;
    return -1;
}

QStringList partnerCountries(const QSqlDatabase &db) {
    QStringList names;
    if (db.tables().contains(RateSchema::kCountryTable, Qt::CaseInsensitive))
        for (QSqlQuery q = run(db, QStringLiteral("select name from partner_country order by rowid")); q.next();)
            names << q.value(0).toString();
    return names.isEmpty() ? OriginRates::agreementCountries() : names;
}
