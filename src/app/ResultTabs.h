#pragma once
#include "data/Query.h"
#include "search/SearchTables.h"

#include <QObject>
#include <array>

class Connection;
class DataGrid;
class PictureButton;
class QFrame;
class QLabel;

// The result tabs of the main window: the three tab buttons, the panel with one result grid per
// searched table (tariff, rulings, cases) and the line with how many rows each search found.
// Each grid shows its query, run on the window's connection.
class ResultTabs : public QObject {
    Q_OBJECT
public:
    using Table = SearchTables::Table;

    // Makes the tabs, the panel and its grids on the window's client area.
    ResultTabs(QWidget *client, Connection &connection);
    ~ResultTabs() override;

    DataGrid *grid(Table table) const { return grids_[table]; }
    QFrame *panel() const { return panel_; }
    const Query &query(Table table) const { return queries_[table]; }

    // The first rows of each table, shown before any search; throws AppError.
    void showFirstRows();
    // Each table's rows of the code prefix and name fragment (trimmed); throws AppError.
    void search(const QString &code, const QString &name);

    void showTab(Table table);
    // The table whose grid the panel shows.
    Table shownTab() const;
    // The tabs show with the results and hide while a detail view covers them.
    void setTabsVisible(bool visible);
    bool tabsVisible() const;
    bool gridHasFocus() const;
    // What a click on a cell of a table's grid does (Enter on the current cell does the same): the
    // code column opens the code's detail, the tariff's link column its special rates.
    void chooseCell(Table table, int column);
    void resize(const QSize &panelSize);

signals:
    // A tab button or a cell was clicked.
    void userActed();
    void codeChosen(const QString &shownCode, Table table);
    void specialRatesChosen(const QString &shownCode);

private:
    void setupGrid(Table table);
    void showCounts();

    Connection &connection_;
    std::array<Query, 3> queries_{Query(QStringLiteral("qry1")), Query(QStringLiteral("qry2")),
                                  Query(QStringLiteral("qry3"))};
    std::array<PictureButton *, 3> tabs_{};
    std::array<DataGrid *, 3> grids_{};
    QFrame *panel_ = nullptr;
    QLabel *counts_ = nullptr;
};
