#pragma once
#include <QString>
#include <QVariant>

// How the grids and the command-line lookup show stored codes.
namespace CodeDisplay {
// A stored (scrambled) code as plain text; Null or empty shows empty.
QString plainCode(const QVariant &stored);
// Case codes show their first 8 characters, then a dot and characters 9-10 when those read as
// a positive number; characters after the 10th are never shown. Characters 9-10 that are not a
// decimal number leave the code as it is.
QString caseCode(const QString &plain);
} // namespace CodeDisplay
