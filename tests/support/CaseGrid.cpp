#include "support/CaseGrid.h"

#include "search/SearchStatements.h"

CaseGrid::CaseGrid(StoreKind s, int rows, const QString &name, const QString &spec) : store(s) {
    if (!store.unavailable().isEmpty()) return;
    // Written so on both engines.
    store.exec({QStringLiteral("insert into case_hs with recursive n(i) as (select 1 union all select i+1 from n "
                               "where i<%1) select i, '%2'||i, substr('0000000'||i, length('0000000'||i) - 7), "
                               "%3, '', '', 0, '' from n")
                    .arg(rows)
                    .arg(name, spec)});
    con.setConnectionString(store.connectionString());
    query.setConnection(&con);
    query.setHeadOnly(true); // as the window's search queries
    query.setSource(SearchStatements::search(SearchStatements::CaseHs, QString(), name, con));
    query.open();
    grid.setDataSource(&query);
}
