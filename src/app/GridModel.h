#pragma once
#include "search/GridColumn.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QDeadlineTimer>
#include <QFont>
#include <QHash>
#include <QList>
#include <QTimer>
#include <functional>
#include <memory>

class Query;
class QSqlQueryModel;
class SpilledResult;

// Supplies a field's text from its stored value, the same for display and editing.
using DisplayHook = std::function<QString(const QVariant &value)>;
// Supplies the text of a Null value of a field from the cell's row.
using NullTextHook = std::function<QString(int row)>;

// Stands between a query's result and a grid: maps declared columns to fields, applies the
// display hooks, formats numbers and dates, and colours rows by their record number (odd rows
// one colour, even rows another).
//
// Memory stays bounded for any result size: the first rows are those the query itself read on
// opening; the rest are read by a second run of the same statement into a SpilledResult (rows
// in a temporary file) as the grid scrolls on, or in the background shortly after the first
// screen so that the scroll bar comes to reflect the whole result. Only a few blocks of rows
// around those last shown are held as values.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject *parent = nullptr);
    ~GridModel() override;

    void setSource(Query *query);
    Query *source() const { return query_; }
    // Declared columns; with none, the grid shows one column per field, titled by `labels`.
    void setColumns(QList<GridColumn> columns);
    void setFieldLabels(QHash<QString, QString> labels) { labels_ = std::move(labels); }
    void setDisplayHook(const QString &field, DisplayHook hook);
    // Shows something in the Null cells of a field without a display hook; stored values and
    // every other cell are untouched.
    void setNullText(const QString &field, NullTextHook hook) { nullTexts_[field] = std::move(hook); }
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
    // Result rows this model holds as values (the query's first rows and the cached blocks).
    qsizetype rowsInMemory() const;

    // Blocks of rows kept as values beyond the query's first rows.
    static constexpr int kCachedBlocks = 16;
    // Rows a view's request for more reads on (what the query's own model reads at a time).
    static constexpr int kFetchRows = 256;
    // The background read of the rest of the result waits this long, so the first screen
    // paints first.
    static constexpr int kCountDelayMs = 200;

private:
    void attach();
    void detach();
    void remap();
    void announceNewRows();
    // Rows known so far: the query's first rows and those read into the spill.
    qint64 knownRows() const;
    bool allKnown() const;
    // Reads on until `rows` rows are known (or until the deadline), starting the second run of
    // the statement on first need.
    void readTo(qint64 rows, QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));
    void readInBackground();
    QVariant rawValue(int row, int column) const;
    const QList<QVariant> &spilledRow(qint64 row) const;

    Query *query_ = nullptr;
    QSqlQueryModel *source_ = nullptr;
    int head_ = 0; // rows the query had read when the result was attached: shown from it
    bool sourceMore_ = false; // the result goes on past them
    std::unique_ptr<SpilledResult> spill_;
    QTimer background_;
    // Decoded blocks of spilled rows, most recently used last.
    mutable QList<std::pair<qint64, QList<QList<QVariant>>>> cache_;
    int rows_ = 0; // the rows announced to the views
    bool announcing_ = false;
    QList<GridColumn> declared_;
    QList<GridColumn> columns_;
    QList<int> sourceColumn_; // per column: the source field's index, -1 when absent
    QHash<QString, QString> labels_;
    QHash<QString, DisplayHook> hooks_;
    QHash<QString, NullTextHook> nullTexts_;
    QColor oddColor_ = Qt::white;
    QColor evenColor_ = Qt::white;
    QFont linkFont_;
    Qt::Alignment vAlign_ = Qt::AlignVCenter;
};
