#pragma once
#include "data/Connection.h"
#include "data/Query.h"
#include "grid/DataGrid.h"
#include "support/StoreFixture.h"

#include <QString>

// A bare result grid over `rows` generated cases on either store, searched as the window
// searches: case i has the name `name` followed by i, its code is i in eight digits (so code
// order is id order), and its spec is the SQL expression `spec` of i. The grid has read only the
// first rows; on the server the query holds only those and the grid's reader brings the rest.
// Nothing is set up when the store is not there.
struct CaseGrid {
    StoreFixture store;
    Connection con{QStringLiteral("grid")};
    Query query{QStringLiteral("qry3")};
    DataGrid grid;

    CaseGrid(StoreKind s, int rows, const QString &name, const QString &spec);
};
