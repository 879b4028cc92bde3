#pragma once
#include "export/TableWriter.h"

#include <QString>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// An XLSX workbook written row by row in constant memory: a bold title row, codes as text cells
// in a text-formatted column, plain numbers as numbers, everything else as text. A result longer
// than a sheet's rows goes on in further sheets, each under the same title row.
class XlsxWriter : public TableWriter {
public:
    XlsxWriter(const QString &path, const QString &sheet, const QList<ExportColumn> &columns);
    ~XlsxWriter() override;
    void row(const QStringList &cells) override;
    void commit() override;

    // Rows a sheet holds, its title row included.
    static constexpr int kSheetRows = 1048576;

private:
    void newSheet();

    QString path_;
    QString temp_; // the workbook is written here and renamed to the path on commit
    QString sheetName_;
    QList<ExportColumn> columns_;
    lxw_workbook *book_ = nullptr;
    lxw_worksheet *sheet_ = nullptr;
    lxw_format *title_ = nullptr;
    lxw_format *text_ = nullptr;
    int sheets_ = 0;
    int row_ = 0; // the next row of the current sheet
};
