// How many rows each search found, in the free space right of the tabs: counted without reading
// the rows (the grids count them on their own threads), shown as each count arrives.
#include "app/MainWindow.h"
#include "chrome/Fonts.h"
#include "grid/DataGrid.h"
#include "search/SearchQuery.h"

#include <QLabel>
#include <QLocale>

void MainWindow::setupCounts() {
    lblCounts = new QLabel(client);
    lblCounts->setObjectName(QStringLiteral("lblCounts"));
    lblCounts->setGeometry(292, 120, 360, 14);
    lblCounts->setFont(Fonts::song(12));
    lblCounts->hide();
    for (DataGrid *g : {dbgrd1, dbgrd2, dbgrd3})
        // Queued: a model announces its count while its query is still being opened.
        connect(g->gridModel(), &GridModel::countChanged, this, &MainWindow::showCounts, Qt::QueuedConnection);
}

void MainWindow::showCounts() {
    const std::pair<const Query *, const DataGrid *> results[] = {{&qry1, dbgrd1}, {&qry2, dbgrd2}, {&qry3, dbgrd3}};
    const QString titles[] = {QStringLiteral("海关税则"), QStringLiteral("归类决定"), QStringLiteral("历史申报")};
    QLocale numbers = QLocale::c();
    numbers.setNumberOptions({}); // with thousands separators: 1,625
    QStringList parts;
    for (int i = 0; i < 3; ++i) {
        const auto &[query, grid] = results[i];
        // The first rows shown before any search are no search's result.
        const auto *search = dynamic_cast<const SearchQuery *>(query->source().get());
        if (!query->isOpen() || !search || !search->isSearch()) {
            lblCounts->hide();
            return;
        }
        const qint64 n = grid->gridModel()->matchCount();
        parts << titles[i] + u' ' +
                     (n < 0    ? QStringLiteral("…")
                      : n == 0 ? QStringLiteral("没有找到")
                               : numbers.toString(n));
    }
    lblCounts->setText(parts.join(QStringLiteral(" · ")));
    lblCounts->show();
}
