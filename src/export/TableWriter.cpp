#include "export/TableWriter.h"

#include "export/CsvWriter.h"
#include "export/XlsxWriter.h"

TableWriter::Format TableWriter::formatOf(const QString &path) {
    return path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) ? Format::Xlsx : Format::Csv;
}

std::unique_ptr<TableWriter> TableWriter::open(Format format, const QString &path, const QString &sheet,
                                               const QList<ExportColumn> &columns) {
    if (format == Format::Xlsx) return std::make_unique<XlsxWriter>(path, sheet, columns);
    return std::make_unique<CsvWriter>(path, columns);
}
