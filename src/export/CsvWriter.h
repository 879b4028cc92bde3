#pragma once
#include "export/TableWriter.h"

#include <QSaveFile>

// Comma-separated text for spreadsheets: UTF-8 with a byte-order mark (so a spreadsheet reads
// Chinese text as UTF-8), RFC 4180 quoting, CRLF line ends; codes as ="…" text formulas and
// formula-like cells behind an apostrophe.
class CsvWriter : public TableWriter {
public:
    CsvWriter(const QString &path, const QList<ExportColumn> &columns);
    void row(const QStringList &cells) override;
    void commit() override;

private:
    void line(const QStringList &fields);

    QSaveFile file_;
    QList<ExportColumn> columns_;
};
