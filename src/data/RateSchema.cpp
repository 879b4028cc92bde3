#include "data/RateSchema.h"

#include "data/Schema.h"

namespace RateSchema {

QStringList createStatements() {
    QList<Schema::Table> rates;
    for (const Schema::Table &t : Schema::tables())
        if (t.name == kRateTable || t.name == kCountryTable) rates << t;
    return Schema::createStatements(rates);
}

} // namespace RateSchema
