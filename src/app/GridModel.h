#pragma once
#include "search/GridColumn.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <functional>

class QSqlQueryModel;

// Supplies a field's text from its stored value, the same for display and editing.
using DisplayHook = std::function<QString(const QVariant &value)>;

// Stands between a query's result and a grid: maps declared columns to fields, applies the
// display hooks, formats numbers and dates, and colours rows by their record number (odd rows
// one colour, even rows another). Rows are fetched from the query lazily, as the grid asks.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject *parent = nullptr);

    void setSource(QSqlQueryModel *source);
    QSqlQueryModel *source() const { return source_; }
    // Declared columns; with none, the grid shows one column per field, titled by `labels`.
    void setColumns(QList<GridColumn> columns);
    void setFieldLabels(QHash<QString, QString> labels) { labels_ = std::move(labels); }
    void setDisplayHook(const QString &field, DisplayHook hook);
    void setOddRowColor(const QColor &c) { oddColor_ = c; }
    void setEvenRowColor(const QColor &c) { evenColor_ = c; }
    const QColor &evenRowColor() const { return evenColor_; }
    void setLinkFont(const QFont &f) { linkFont_ = f; }
    void setVerticalAlignment(Qt::Alignment a) { vAlign_ = a; }

    // The field a column shows; empty for a column without a field.
    QString fieldAt(int column) const;
    const GridColumn &columnAt(int column) const { return columns_[column]; }
    // The text a cell shows (and edits).
    QString text(int row, int column) const;
    // The stored value of a cell as text, before any display hook.
    QString storedText(int row, int column) const { return rawValue(row, column).toString(); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    // Fetches every remaining row of the result and announces them at once (a jump to the end:
    // one insertion instead of one per chunk of a few hundred rows).
    void fetchAll();

private:
    void remap();
    void announceNewRows();
    QVariant rawValue(int row, int column) const;

    QSqlQueryModel *source_ = nullptr;
    int rows_ = 0; // the source rows announced to the views
    bool bulk_ = false; // fetching everything: insertions are announced once at the end
    bool announcing_ = false;
    QList<GridColumn> declared_;
    QList<GridColumn> columns_;
    QList<int> sourceColumn_; // per column: the source field's index, -1 when absent
    QHash<QString, QString> labels_;
    QHash<QString, DisplayHook> hooks_;
    QColor oddColor_ = Qt::white;
    QColor evenColor_ = Qt::white;
    QFont linkFont_;
    Qt::Alignment vAlign_ = Qt::AlignVCenter;
};
