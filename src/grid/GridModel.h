#pragma once
#include "data/Statement.h"
#include "data/Store.h"
#include "grid/CellLook.h"
#include "grid/CellText.h"
#include "grid/ColumnMap.h"
#include "grid/PendingRows.h"
#include "grid/RowCache.h"
#include "search/GridColumn.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <limits>
#include <optional>

class Query;
class QSqlQueryModel;

// Stands between a query's result and a grid: shows the mapped columns (ColumnMap) of the rows
// a RowCache reads, as CellText words their values and CellLook colours them, and tells the
// views of rows as they are counted and read.
//
// The first rows are those the query itself read on opening; the rest are counted and read on
// another thread as the grid shows them, from the front or, for a jump to the end, from the end.
// The scroll bar reflects the whole count as soon as it is known. A paint never waits: a row not
// read yet paints as pending and repaints when it comes. text() and storedText(), which callers
// read values by, wait for the row instead.
//
// A search's result sorts by a column's displayed value (codes by their plain form, numbers as
// numbers): the same statement ordered so, read the same way. A new result is in its own order.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject *parent = nullptr);
    ~GridModel() override;

    void setSource(Query *query);
    Query *source() const { return query_; }
    // Declared columns; with none, the grid shows one column per field, titled by `labels`.
    void setColumns(QList<GridColumn> columns);
    void setFieldLabels(QHash<QString, QString> labels) { columns_.setLabels(std::move(labels)); }
    void setDisplayHook(const QString &field, DisplayHook hook) { text_.setDisplayHook(field, std::move(hook)); }
    // Shows something in the Null cells of a field without a display hook; stored values and
    // every other cell are untouched.
    void setNullText(const QString &field, NullTextHook hook) { text_.setNullText(field, std::move(hook)); }
    void setOddRowColor(const QColor &c) { look_.oddRow = c; }
    void setEvenRowColor(const QColor &c) { look_.evenRow = c; }
    const QColor &evenRowColor() const { return look_.evenRow; }
    void setLinkFont(const QFont &f) { look_.link = f; }
    void setVerticalAlignment(Qt::Alignment a) { look_.vertical = a; }

    // The field a column shows; empty for a column without a field.
    QString fieldAt(int column) const { return columns_.fieldAt(column); }
    // The first column showing a field; -1 when none does.
    int columnOf(const QString &field) const;
    const GridColumn &columnAt(int column) const { return columns_.at(column); }
    // The text a cell holds (and edits), its row waited for when not read yet.
    QString text(int row, int column) const;
    // The stored value of a cell as text, before any display hook; its row waited for likewise.
    QString storedText(int row, int column) const { return value(row, column).toString(); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    // Reads every row of the result and announces them at once.
    void fetchAll();
    // Whether the row can be read now, announcing rows up to it and waiting at most `ms` for it:
    // Pending while it is being read or counted, End past the last row, Lost when reading
    // stopped on an error before it.
    enum class RowState { Read, Pending, End, Lost };
    RowState waitForRow(int row, int ms);
    // Announces the whole count and reads the last rows (a jump to the end): true when they can be
    // shown now; false while the result is still being counted, and then endReady follows.
    bool fetchEnd();
    // Whether a click on a column title sorts the result, and how it is sorted (-1: its own order).
    bool sortable() const;
    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // The number of rows of the result; -1 while they are being counted.
    qint64 matchCount() const;
    // Result rows this model holds as values (the query's first rows and the cached blocks).
    qsizetype rowsInMemory() const { return cache_.rowsInMemory(); }

    // Blocks of rows kept as values beyond the query's first rows.
    static constexpr int kCachedBlocks = RowCache::kBlocks;
    // Rows a view's request for more reads on (what the query's own model reads at a time).
    static constexpr int kFetchRows = 256;
    // A sort or a jump to the end, which show rows the query never read, waits this long at most
    // for the first of them, so that on a quick store they show at once; those not read by then
    // paint as pending.
    static constexpr int kWaitMs = 200;
    // The count of a new result waits this long (unless asked for), so the first screen paints
    // first.
    static constexpr int kCountDelayMs = 200;

signals:
    // The count became known, or the result changed.
    void countChanged();
    // The end asked for by a fetchEnd() that returned false is announced.
    void endReady();

private:
    void attach();
    void detach();
    void remap();
    void announceNewRows(qint64 upTo = std::numeric_limits<qint64>::max());
    // Starts reading the statement past its first `skip` rows (`count` rows, when known).
    void startReader(const Statement &forward, const Statement &backward, qint64 skip, qint64 count = -1,
                     int delayMs = 0);
    void readerChanged();
    // A cell's value, its row waited for when not read yet; Null when it never comes.
    QVariant value(int row, int column) const;
    // A cell's value as a paint shows it, without waiting: nothing while its row is pending.
    std::optional<QVariant> shown(int row, int column) const;
    // What a column sorts by; none when it does not sort.
    std::optional<SortKey> sortKey(int column) const;

    Query *query_ = nullptr;
    QSqlQueryModel *source_ = nullptr;
    RowCache cache_;
    // Rows painted as pending, repainted when they come.
    mutable PendingRows pending_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
    int rows_ = 0; // the rows announced to the views
    bool announcing_ = false;
    bool endWanted_ = false; // fetchEnd() waits for the count
    ColumnMap columns_;
    CellText text_;
    CellLook look_;
};
