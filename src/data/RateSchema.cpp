#include "data/RateSchema.h"

namespace RateSchema {

QStringList createStatements() {
    return {
        QStringLiteral("create table if not exists tariff_rate (code varchar(50) collate nocase, "
                       "kind varchar(20), partner varchar(50), rate_text varchar(200), rate_percent double)"),
        QStringLiteral("create index if not exists tariff_rate_code on tariff_rate (code)"),
        QStringLiteral("create table if not exists partner_country (code varchar(10), name varchar(50))"),
    };
}

} // namespace RateSchema
