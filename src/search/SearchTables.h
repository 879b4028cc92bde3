#pragma once
#include "data/Query.h"
#include "search/GridColumn.h"

#include <QList>
#include <QString>
#include <QVariant>

// The one description of the three searched tables: what the search statements select and how
// they order, the fields a result must have, the grid columns that show it and how its codes
// read. The statements, the window's grids, its detail hand-off and the command-line lookup all
// take them from here.
namespace SearchTables {
enum Table { OfficialHs, HsClassify, CaseHs };
inline constexpr Table kAll[] = {OfficialHs, HsClassify, CaseHs};

struct Description {
    QString table;
    QString selectList;
    QString codeColumn; // matched by prefix; the results are ordered by it
    QString nameColumn; // matched by substring
    QString linkColumn; // a constant column that opens the special rates; empty when none
    bool caseCodes; // codes show as case codes: 8 characters, a dot and two more
    QList<FieldDef> fields;
    QList<GridColumn> columns;
};
const Description &describe(Table table);

// The text a stored code of the table shows.
QString codeText(Table table, const QVariant &stored);
} // namespace SearchTables
