#pragma once

class DataGrid;

// What the grid's copy commands put on the clipboard. Several cells go as a table with the
// column titles: tab-separated text (fields quoted as in CSV where they hold a tab, quote or
// line break) and the same table as HTML, where code cells carry a text number format so a
// spreadsheet pasting it keeps their leading zeros. A single cell goes as its text alone, to
// paste into a form field.
namespace GridCopy {
// The selected cells (the current one when none is selected), within the columns that hold data.
void copyCells(const DataGrid &grid);
// Every data column of the rows with a selected cell.
void copyRows(const DataGrid &grid);
// The plain commodity codes of those rows, one a line, without titles.
void copyCodes(const DataGrid &grid);
} // namespace GridCopy
