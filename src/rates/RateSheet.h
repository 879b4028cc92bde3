#pragma once
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <optional>

// One published rate of a code, as the builder keeps it (RateSchema).
struct PublishedRate {
    QString kind; // a RateSchema kind
    QString partner; // agreements: the partner as the tariff names it
    QString text; // as published: "10%", "0.8元/千克", a compound duty
    std::optional<double> percent; // the number of a plain percentage
};

// What a rate amounts to where two rates can be compared: a percentage (empty unit) or an
// amount per unit ("0.8元/千克" is 0.8 in 元/千克; spaces inside the unit are ignored, the
// export writes some units with one). A compound or otherwise unreadable duty has none.
struct RateAmount {
    double value = 0;
    QString unit;
};
std::optional<RateAmount> rateAmount(const PublishedRate &rate);

// Every published rate of one code, read from the lookup database.
class RateSheet {
public:
    enum class Status {
        NoRateData, // the database keeps no published rates at all (made elsewhere, or before)
        NoRates, // it does, but none for this code
        Stored,
    };

    // Throws AppError when the database cannot be read.
    static RateSheet read(const QSqlDatabase &db, const QString &scrambledCode);
    static RateSheet fromRates(QList<PublishedRate> rates); // for rules without a database

    Status status() const { return status_; }
    const QList<PublishedRate> &rates() const { return rates_; }
    // The index of the first rate of a kind, -1 when the code has none.
    int indexOf(const QString &kind) const;

private:
    Status status_ = Status::NoRateData;
    QList<PublishedRate> rates_;
};

// The origins a user can choose: the customs partner countries the database keeps, in their
// stored order, or the countries of the known agreements when it keeps none.
QStringList partnerCountries(const QSqlDatabase &db);
