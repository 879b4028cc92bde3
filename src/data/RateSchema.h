#pragma once
#include <QString>
#include <QStringList>

// The published rates kept beside the lookup tables, as the tariff export gives them: one row
// per code and rate, the published text and, where the text is one plain percentage, its number.
// Per-unit and compound duties keep their text and have no number. The lookup tables are filled
// as before; these tables only add to them, so a database made elsewhere may lack them.
//
//   tariff_rate      code (scrambled, like every code column), kind, partner (agreements only),
//                    rate_text, rate_percent
//   partner_country  the customs partner countries: code, name
//
// The statements create only what is missing, so a load into an older database adds them.
namespace RateSchema {

inline const QString kRateTable = QStringLiteral("tariff_rate");
inline const QString kCountryTable = QStringLiteral("partner_country");

// Values of tariff_rate.kind.
inline const QString kMfn = QStringLiteral("mfn");
inline const QString kProvisional = QStringLiteral("provisional");
inline const QString kGeneral = QStringLiteral("general");
inline const QString kAgreement = QStringLiteral("agreement");
inline const QString kExport = QStringLiteral("export");
inline const QString kExportProvisional = QStringLiteral("export_provisional");

QStringList createStatements();

} // namespace RateSchema
