#pragma once
#include <QString>

class QTextStream;

// The lookup database file copied into `dir` and aged there as an office's monthly imports age
// it: every *.xml of `updates` imported in name order through the program's own import, the
// time of each said on `out` beside the time of the same rows inserted in one transaction.
// Returns the copy's connection string; throws AppError (a server's database is not copied).
QString agedCopy(const QString &connectionString, const QString &updates, const QString &dir, QTextStream &out);
// The same imports into a server's database itself, which changes it for good.
void ageInPlace(const QString &connectionString, const QString &updates, QTextStream &out);
