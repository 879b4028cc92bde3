#include "app/ResultTabs.h"

#include "app/ViewPanel.h"

#include "chrome/Fonts.h"
#include "chrome/PictureButton.h"
#include "data/AppError.h"
#include "grid/DataGrid.h"
#include "platform/Platform.h"
#include "search/SearchStatements.h"

#include <QFrame>
#include <QLabel>
#include <QLocale>

using SearchTables::describe;

namespace {
constexpr SearchTables::Table kTables[] = {SearchTables::OfficialHs, SearchTables::HsClassify, SearchTables::CaseHs};
const char *const kTabNames[] = {"imgtab1", "imgtab2", "imgtab3"};
const char *const kTabPictures[] = {"tab1", "tab2", "tab3"};
const char *const kGridNames[] = {"dbgrd1", "dbgrd2", "dbgrd3"};
// Copies and exports name themselves after the tab.
const char *const kExportNames[] = {"通关要素", "总署数据", "历史申报"};
const char *const kCountTitles[] = {"海关税则", "归类决定", "历史申报"};
} // namespace

ResultTabs::ResultTabs(QWidget *client, Connection &connection) : QObject(client), connection_(connection) {
    setObjectName(QStringLiteral("resultTabs"));
    // Later tabs lie over earlier ones where they overlap, and the panel over the tabs' feet.
    for (Table t : kTables) {
        tabs_[t] = PictureButton::withPictures(client, {t * 88, 112, 105, 33}, QLatin1String(kTabPictures[t]));
        tabs_[t]->setObjectName(QLatin1String(kTabNames[t]));
        connect(tabs_[t], &PictureButton::clicked, this, [this, t] {
            emit userActed();
            showTab(t);
        });
    }

    panel_ = viewPanel(client, "pnl1", {0, 136, 838, 400});
    QPalette pal = panel_->palette();
    pal.setColor(QPalette::Window, QColor(160, 160, 164));
    panel_->setPalette(pal);
    for (Table t : kTables) setupGrid(t);

    // How many rows each search found, in the free space right of the tabs.
    counts_ = new QLabel(client);
    counts_->setObjectName(QStringLiteral("lblCounts"));
    counts_->setGeometry(292, 120, 360, 14);
    counts_->setFont(Fonts::song(12));
    counts_->hide();
}

ResultTabs::~ResultTabs() {
    // The grids show the queries' results: unlink them before the queries go.
    for (DataGrid *g : grids_) g->setDataSource(nullptr);
}

void ResultTabs::setupGrid(Table table) {
    const SearchTables::Description &described = describe(table);
    Query &query = queries_[table];
    query.setFields(described.fields);
    query.setConnection(&connection_);

    DataGrid *g = grids_[table] = new DataGrid(panel_);
    g->setObjectName(QLatin1String(kGridNames[table]));
    g->setGeometry(panel_->rect());
    if (table != SearchTables::OfficialHs) {
        g->hide();
        g->setFitRowsToLines(true);
    }
    GridModel *model = g->gridModel();
    model->setEvenRowColor(DataGrid::kEvenRowColor);
    model->setColumns(described.columns);
    model->setDisplayHook(described.codeColumn,
                          [table](const QVariant &v) { return SearchTables::codeText(table, v); });
    g->applyColumnWidths();
    // Copies and exports keep the codes as text.
    g->setCodeField(described.codeColumn);
    g->setExportName(QString::fromUtf8(kExportNames[table]));
    connect(g, &QAbstractItemView::clicked, this,
            [this, table](const QModelIndex &i) { chooseCell(table, i.column()); });
    // The counts come on the grids' own threads, each shown as it arrives. Queued: a model
    // announces its count while its query is still being opened.
    connect(model, &GridModel::countChanged, this, &ResultTabs::showCounts, Qt::QueuedConnection);
}

void ResultTabs::showFirstRows() {
    for (Table t : kTables) {
        Query &query = queries_[t];
        query.setSource(SearchStatements::firstRows(t, connection_));
        query.open();
        DataGrid *g = grids_[t];
        g->setDataSource(&query);
        if (t == SearchTables::CaseHs) {
            g->setColumnWidth(0, 70);
            g->setColumnWidth(1, 180);
            g->setColumnWidth(2, 300);
        }
        g->setRowHeight(g->rowHeight() + 10);
    }
}

void ResultTabs::search(const QString &code, const QString &name) {
    for (Table t : kTables) {
        Query &query = queries_[t];
        query.close();
        query.setHeadOnly(true); // the grid reads the rest
        query.setSource(SearchStatements::search(t, code, name, connection_));
        query.open();
        // Linked since start-up unless start-up ended early; then this links it.
        grids_[t]->setDataSource(&query);
    }
}

void ResultTabs::showTab(Table table) {
    panel_->show();
    for (Table t : kTables) grids_[t]->setVisible(t == table);
}

ResultTabs::Table ResultTabs::shownTab() const {
    for (Table t : {SearchTables::HsClassify, SearchTables::CaseHs})
        if (grids_[t]->isVisibleTo(panel_)) return t;
    return SearchTables::OfficialHs;
}

void ResultTabs::setTabsVisible(bool visible) {
    for (PictureButton *tab : tabs_) tab->setVisible(visible);
}

bool ResultTabs::tabsVisible() const { return tabs_[0]->isVisible(); }

bool ResultTabs::gridHasFocus() const {
    return std::any_of(grids_.begin(), grids_.end(), [](const DataGrid *g) { return g->hasFocus(); });
}

void ResultTabs::chooseCell(Table table, int column) {
    DataGrid *g = grids_[table];
    try {
        emit userActed();
        const GridModel *model = g->gridModel();
        if (model->rowCount() == 0) return;
        // The grid makes the clicked cell current before it reports the click.
        const int row = std::max(0, g->currentIndex().row());
        const QString field = model->fieldAt(column);
        const SearchTables::Description &described = describe(table);
        if (field == described.codeColumn) emit codeChosen(model->text(row, column), table);
        else if (!described.linkColumn.isEmpty() && field == described.linkColumn)
            emit specialRatesChosen(model->text(row, model->columnOf(described.codeColumn)));
    } catch (const AppError &e) {
        Notify::error(g->window(), e.message());
    }
}

void ResultTabs::resize(const QSize &panelSize) {
    panel_->resize(panelSize);
    for (DataGrid *g : grids_) g->resize(panelSize);
}

void ResultTabs::showCounts() {
    QLocale numbers = QLocale::c();
    numbers.setNumberOptions({}); // with thousands separators: 1,625
    QStringList parts;
    for (Table t : kTables) {
        const Query &query = queries_[t];
        // The first rows shown before any search are no search's result.
        const auto *searched = dynamic_cast<const SearchQuery *>(query.source().get());
        if (!query.isOpen() || !searched || !searched->isSearch()) {
            counts_->hide();
            return;
        }
        const qint64 n = grids_[t]->gridModel()->matchCount();
        parts << QString::fromUtf8(kCountTitles[t]) + u' ' +
                     (n < 0    ? QStringLiteral("…")
                      : n == 0 ? QStringLiteral("没有找到")
                               : numbers.toString(n));
    }
    counts_->setText(parts.join(QStringLiteral(" · ")));
    counts_->show();
}
