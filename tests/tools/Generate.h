#pragma once
#include "dbbuilder/Commands.h"

#include <QString>

// Generates a new database (a file, or the database a server's configuration names) with these
// numbers of rows; the same seed gives the same rows. Fails, as the builder does, where one is.
inline bool generateNew(const QString &target, int tariff, int rulings, int cases, quint64 seed = 1) {
    return Builder::generateDatabase(target, GeneratorOptions{tariff, rulings, cases, seed}, Builder::Existing::Refuse);
}
