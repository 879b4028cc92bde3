#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

// A column of an exported table: its title, whether it holds codes (always written as text, so
// a spreadsheet keeps leading zeros and case codes' dots), and a width hint in characters.
struct ExportColumn {
    QString title;
    bool code = false;
    int width = 0; // 0: the format's default
};

// Writes a table of texts, row by row, to a file: a title row, then the rows as given. Nothing
// is held but what the format needs to stream. The file appears at its path only on commit();
// a writer destroyed before then (a cancelled export, a failure) leaves any file already at the
// path as it was. Failures throw AppError with a message for the user.
class TableWriter {
public:
    enum class Format { Csv, Xlsx };
    // The format a file name asks for: .xlsx is a workbook, anything else comma-separated text.
    static Format formatOf(const QString &path);
    // `sheet` names the workbook's sheet (unused in CSV).
    static std::unique_ptr<TableWriter> open(Format format, const QString &path, const QString &sheet,
                                             const QList<ExportColumn> &columns);

    virtual ~TableWriter() = default;
    virtual void row(const QStringList &cells) = 0;
    virtual void commit() = 0;
};
