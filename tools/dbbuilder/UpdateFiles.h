#pragma once
#include <QStringList>

// Update files as an office downloads them, one a month, for measuring what imports do to a
// database: records of cases like the generator's (codes and names of the database's own tariff
// lines, a brand before three names in ten, specs in the same layout), GB2312 encoded. File k
// holds dates of the k-th month after the database's newest case, rising through the month, so
// importing the files in name order takes every record of each. The same seed gives the same
// files.
struct UpdateFileOptions {
    int files = 0;
    int records = 0;
    quint64 seed = 1;
};

// Writes update01.xml, update02.xml ... into `outDir` (made when missing) and returns their paths.
// Throws AppError when the database cannot be read or has no tariff line to draw from.
QStringList writeUpdateFiles(const QString &database, const QString &outDir, const UpdateFileOptions &options);
