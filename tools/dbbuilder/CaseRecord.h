#pragma once
#include "dbbuilder/Random.h"
#include "dbbuilder/Vocabulary.h"

#include <QByteArray>

// One line of the tariff as the synthetic rows use it.
struct TariffLine {
    QByteArray code; // plain, 10 digits
    QByteArray name; // UTF-8
    QByteArray material; // the material word of the name, for declaration elements and cases
    const CommodityGroup *group;
};

// A line read back from a database: its group found by its chapter (the nearest chapter for one
// the vocabulary has no group for), its material as the longest of the group's materials in
// its name.
TariffLine lineOf(const QByteArray &plainCode, const QByteArray &name);

// The brands that generated rulings and cases name.
const std::vector<const char *> &caseBrands();
// A model number such as "KT-2150".
QByteArray model(Random &rnd);

// What a declarant's case says of a line: three in ten carry a brand before the tariff name
// ("美的牌..."), the details field lists the kind, use, material, brand and model. UTF-8.
struct CaseText {
    QByteArray name, spec;
};
CaseText caseText(Random &rnd, const TariffLine &line);
// Where a case came from.
QByteArray caseSource(Random &rnd);
