#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// Readers for exported tables, independent of the writers: an RFC 4180 parser, and a workbook
// read by openpyxl (python3-openpyxl) in a child process.
namespace TableFiles {
// The records of CSV text (quoted fields with doubled quotes and line breaks, CRLF or LF line
// ends); the byte-order mark, when present, is left in the first field.
QList<QStringList> parseCsv(const QString &text);
// Every sheet's rows, sheet after sheet, each cell as openpyxl reads it: text as it stands,
// numbers prefixed with "#", empty cells as "". `types`, when given, receives each cell's
// data type letter (s string, n number) in the same shape.
QList<QList<QStringList>> readXlsx(const QString &path, QList<QList<QStringList>> *types = nullptr);
} // namespace TableFiles
