#pragma once
#include "app/GridModel.h"
#include "app/SearchStatements.h"
#include "data/Query.h"

// The declared fields and grid columns of the three search results, and how their code column
// reads: the window's result grids and the command-line lookup show the same thing.
namespace ResultColumns {
QList<FieldDef> fields(SearchStatements::Table table);
QList<GridColumn> columns(SearchStatements::Table table);
// The field whose display hook shows the stored code, and the hook's text for a stored value.
QString codeField(SearchStatements::Table table);
QString codeText(SearchStatements::Table table, const QVariant &stored);

// Builders for declarations.
FieldDef wide(const char *name, int size);
FieldDef text(const char *name, int size);
FieldDef number(const char *name);
FieldDef integer(const char *name);
GridColumn column(const char *field, const char *title, int width, bool link = false, bool wrap = false);
GridColumn hiddenId();
} // namespace ResultColumns
