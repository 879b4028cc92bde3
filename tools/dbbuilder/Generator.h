#pragma once
#include <QtGlobal>

class BuilderDatabase;

// The code pattern leaves room for about 350,000 distinct lines; well below that, drawing
// unused codes stays quick.
inline constexpr int kMaxTariffLines = 200000;

struct GeneratorOptions {
    int tariff = 0;
    int rulings = 0;
    int cases = 0;
    quint64 seed = 1;
};

// Synthetic tariff, special-rate, ruling and case rows for benchmarks: 10-digit codes in a
// real-looking chapter structure, Chinese names built from a vocabulary in which short
// fragments (钢, 棉, 电机 ...) hit shares like those of the real tariff, declaration elements,
// case dates YYYY-MM-DD. The same seed gives the same rows. Tables must exist; the caller holds
// the transaction.
void generateRows(BuilderDatabase &db, const GeneratorOptions &options);
