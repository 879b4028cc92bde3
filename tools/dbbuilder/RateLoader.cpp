#include "dbbuilder/RateLoader.h"

#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/RateSchema.h"
#include "dbbuilder/BuilderDatabase.h"
#include "dbbuilder/Csv.h"
#include "dbbuilder/Rates.h"

namespace {

const QString kAgreementPrefix = QStringLiteral("agreement_");

void ensureTables(BuilderDatabase &db) {
    for (const QString &s : RateSchema::createStatements()) db.exec(s);
}

} // namespace

int loadPublishedRates(BuilderDatabase &db, const CsvFile &tariff) {
    struct Source {
        int column;
        QString kind, partner;
    };
    const QList<std::pair<const char *, QString>> fixed = {
        {"mfn_rate", RateSchema::kMfn},
        {"provisional_rate", RateSchema::kProvisional},
        {"general_rate", RateSchema::kGeneral},
        {"export_tax_rate", RateSchema::kExport},
        {"export_t8_unidentified", RateSchema::kExportProvisional},
    };
    QList<Source> sources;
    for (const auto &[column, kind] : fixed) sources.append({tariff.requireColumn(column), kind, QString()});
    for (int i = 0; i < tariff.header().size(); ++i) {
        const QString &h = tariff.header()[i];
        if (h.startsWith(kAgreementPrefix) && h.size() > kAgreementPrefix.size())
            sources.append({i, RateSchema::kAgreement, h.mid(kAgreementPrefix.size())});
    }
    const int code = tariff.requireColumn("code");

    ensureTables(db);
    db.exec(QStringLiteral("delete from tariff_rate"));
    Inserter ins(db, "insert into tariff_rate (code, kind, partner, rate_text, rate_percent) values (?,?,?,?,?)");
    int rows = 0;
    for (const CsvRecord &r : tariff.records()) {
        const QString scrambled = ScrambleCode(r.fields[code].trimmed());
        for (const Source &s : sources) {
            const QString text = r.fields[s.column].trimmed();
            if (text.isEmpty()) continue;
            ins.text(scrambled).text(s.kind).textOrNull(s.partner).text(text).real(percentRate(text)).insert();
            ++rows;
        }
    }
    return rows;
}

int loadPartnerCountries(BuilderDatabase &db, const CsvFile &countries) {
    const int code = countries.requireColumn("code");
    const int name = countries.column("zh") >= 0 ? countries.column("zh") : countries.requireColumn("name");
    ensureTables(db);
    db.exec(QStringLiteral("delete from partner_country"));
    Inserter ins(db, "insert into partner_country (code, name) values (?,?)");
    int rows = 0;
    for (const CsvRecord &r : countries.records()) {
        const QString n = r.fields.value(name).trimmed();
        if (n.isEmpty()) throw AppError(csvError(countries.name(), r.line, QStringLiteral("名称为空")));
        ins.text(r.fields.value(code).trimmed()).text(n).insert();
        ++rows;
    }
    return rows;
}
