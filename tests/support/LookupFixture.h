#pragma once
#include "support/TestDatabase.h"

#include <QStringList>

class DataGrid;
class QWidget;

// Rows for the lookup windows: what the main window needs to start without a message (a news
// title and the fallback banner), and helpers that read and click grids as the user sees them.
namespace LookupFixture {
void writeStartupRows(TestDatabase &db);
// The rows of writeStartupRows, for another store.
QStringList startupStatements();
// Inserts a tariff row; a null lice is written as Null.
void addTariff(TestDatabase &db, int id, const QString &plainCode, const QString &name, const QVariant &lice);
// The column of a grid that shows a field; -1 when none does.
int columnOf(const DataGrid *grid, const QString &field);
// A grid's texts, row by row, cells joined by '|'.
QStringList rows(const DataGrid *grid);
// One column's texts, top to bottom.
QStringList column(const DataGrid *grid, const QString &field);
// The first row whose cell in a field shows a text; -1 when none does.
int rowOf(const DataGrid *grid, const QString &field, const QString &text);
// Presses and releases the left button over the cell of a row and field, as the user does.
void clickCell(DataGrid *grid, int row, const QString &field);
// Shows the window and makes it the active one, as the user has it in front of them.
void showActive(QWidget *window);
} // namespace LookupFixture
