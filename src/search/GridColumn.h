#pragma once
#include "data/Query.h"

#include <QString>

// A declared grid column: the field it shows (empty for a column without a field, whose cells
// stay empty), its title, width and look.
struct GridColumn {
    QString field;
    QString title;
    int width = -1; // -1: the grid's default width
    bool link = false;
    bool wordWrap = false;
    bool visible = true;
};

// Short builders for declarations of fields and grid columns.
namespace Declare {
FieldDef wide(const char *name, int size);
FieldDef text(const char *name, int size);
FieldDef number(const char *name);
FieldDef integer(const char *name);
GridColumn column(const char *field, const char *title, int width, bool link = false, bool wrap = false);
GridColumn hiddenId();
} // namespace Declare
