#pragma once
#include <QString>

class DataGrid;

// Exports a grid's whole result, not only the rows read so far, in the order the grid shows
// them, its data columns as they stand (order, titles, displayed text), to an XLSX workbook or
// CSV text. Rows are read on from the grid's own result as the file is written, so memory
// stays bounded; a progress dialog with a cancel button shows for long exports.
namespace GridExport {
// Asks for the file through the platform's save dialog, writes it and reports a failure in an
// error box.
void run(DataGrid &grid);
// Writes the file; false when the user cancelled (nothing is left at the path then). Failures
// throw AppError.
bool write(DataGrid &grid, const QString &path);
// An export shows its progress once it has taken this long.
constexpr int kProgressDelayMs = 300;
} // namespace GridExport
