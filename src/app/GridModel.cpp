#include "app/GridModel.h"

#include "data/AppError.h"
#include "data/Connection.h"
#include "data/Query.h"
#include "data/SpilledResult.h"
#include "search/ValueText.h"

#include <QSqlDriver>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <limits>
#include <sqlite3.h>

namespace {
sqlite3 *rawHandle(const QSqlDatabase &db) {
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        throw AppError(QStringLiteral("Not an SQLite database"));
    return *static_cast<sqlite3 *const *>(v.data());
}
} // namespace

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent) {
    background_.setSingleShot(true);
    connect(&background_, &QTimer::timeout, this, &GridModel::readInBackground);
}

GridModel::~GridModel() = default;

void GridModel::setSource(Query *query) {
    if (query_ == query) return;
    beginResetModel();
    if (source_) disconnect(source_, nullptr, this, nullptr);
    detach();
    query_ = query;
    source_ = query ? query->model() : nullptr;
    if (source_) {
        // The query's own later reads (a walk over its rows) change nothing here: rows past the
        // first ones come from the second run.
        connect(source_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
            beginResetModel();
            detach();
        });
        connect(source_, &QAbstractItemModel::modelReset, this, [this] {
            attach();
            endResetModel();
        });
        // A query that goes while still linked takes its result along; the second run of its
        // statement must end before its connection closes.
        connect(source_, &QObject::destroyed, this, [this] {
            beginResetModel();
            detach();
            query_ = nullptr;
            source_ = nullptr;
            attach();
            endResetModel();
        });
    }
    attach();
    endResetModel();
}

void GridModel::setColumns(QList<GridColumn> columns) {
    beginResetModel();
    declared_ = std::move(columns);
    remap();
    endResetModel();
}

void GridModel::setDisplayHook(const QString &field, DisplayHook hook) { hooks_.insert(field, std::move(hook)); }

void GridModel::detach() {
    background_.stop();
    rows_ = 0;
    spill_.reset();
    cache_.clear();
    head_ = 0;
    sourceMore_ = false;
}

void GridModel::attach() {
    head_ = source_ ? source_->rowCount() : 0;
    rows_ = head_;
    sourceMore_ = source_ && source_->canFetchMore();
    remap();
    if (sourceMore_) background_.start(kCountDelayMs);
}

qint64 GridModel::knownRows() const { return head_ + (spill_ ? spill_->rowCount() : 0); }

bool GridModel::allKnown() const { return !sourceMore_ || (spill_ && spill_->atEnd()); }

void GridModel::readTo(qint64 rows, QDeadlineTimer deadline) {
    if (allKnown() || knownRows() >= rows) return;
    try {
        if (!spill_) {
            Connection *con = query_->connection();
            spill_ = std::make_unique<SpilledResult>(rawHandle(con->database()), query_->executedSql(), head_);
        }
        spill_->readTo(rows - head_, deadline);
    } catch (const AppError &e) {
        // The statement ran a moment ago on the same connection; should it fail now, the grid
        // shows the rows it has.
        qWarning("Grid result read stopped: %s", qPrintable(e.message()));
        sourceMore_ = false;
    }
}

void GridModel::readInBackground() {
    // Slices short enough to keep the window responsive; the whole count is announced once.
    readTo(std::numeric_limits<qint64>::max(), QDeadlineTimer(10));
    if (allKnown()) announceNewRows();
    else background_.start(0);
}

void GridModel::announceNewRows() {
    // A view that hears of new rows may fetch more at once, inside our own announcement: those
    // rows are announced after it, by this loop, never nested in it.
    if (announcing_) return;
    announcing_ = true;
    while (knownRows() > rows_) {
        const int n = int(std::min<qint64>(knownRows(), std::numeric_limits<int>::max()));
        if (n <= rows_) break;
        beginInsertRows({}, rows_, n - 1);
        rows_ = n;
        endInsertRows();
    }
    announcing_ = false;
}

void GridModel::fetchAll() {
    if (!source_) return;
    readTo(std::numeric_limits<qint64>::max());
    announceNewRows();
}

qsizetype GridModel::rowsInMemory() const {
    qsizetype n = head_;
    for (const auto &block : cache_) n += block.second.size();
    return n;
}

void GridModel::remap() {
    columns_.clear();
    sourceColumn_.clear();
    const QSqlRecord record = source_ ? source_->record() : QSqlRecord();
    if (declared_.isEmpty()) {
        // Without declared columns: one column per field of the result, in field order.
        for (int i = 0; i < record.count(); ++i) {
            const QString name = record.fieldName(i);
            columns_.append({name, labels_.value(name, name)});
            sourceColumn_.append(i);
        }
        return;
    }
    columns_ = declared_;
    for (const GridColumn &c : columns_) sourceColumn_.append(c.field.isEmpty() ? -1 : record.indexOf(c.field));
}

QString GridModel::fieldAt(int column) const {
    return column >= 0 && column < columns_.size() ? columns_[column].field : QString();
}

int GridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() || !source_ ? 0 : rows_; }

int GridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : columns_.size(); }

bool GridModel::canFetchMore(const QModelIndex &parent) const {
    return !parent.isValid() && source_ && (rows_ < knownRows() || !allKnown());
}

void GridModel::fetchMore(const QModelIndex &parent) {
    if (!canFetchMore(parent)) return;
    readTo(rows_ + kFetchRows);
    announceNewRows();
}

QVariant GridModel::rawValue(int row, int column) const {
    const int sc = sourceColumn_.value(column, -1);
    if (sc < 0 || !source_ || row < 0 || row >= rows_) return {};
    if (row < head_) return source_->data(source_->index(row, sc), Qt::DisplayRole);
    return spilledRow(row - head_).value(sc);
}

const QList<QVariant> &GridModel::spilledRow(qint64 row) const {
    const qint64 block = row / SpilledResult::kBlockRows;
    const int at = int(row % SpilledResult::kBlockRows);
    for (qsizetype i = cache_.size() - 1; i >= 0; --i) {
        if (cache_[i].first != block) continue;
        // A block read while the end of the result was still being read may lack later rows.
        if (cache_[i].second.size() <= at) {
            cache_.removeAt(i);
            break;
        }
        if (i != cache_.size() - 1) cache_.move(i, cache_.size() - 1);
        return cache_.last().second[at];
    }
    if (cache_.size() >= kCachedBlocks) cache_.removeFirst();
    cache_.append({block, spill_->rows(block * SpilledResult::kBlockRows, SpilledResult::kBlockRows)});
    return cache_.last().second[at];
}

QString GridModel::text(int row, int column) const {
    if (column < 0 || column >= columns_.size()) return {};
    const QVariant v = rawValue(row, column);
    const auto hook = hooks_.find(columns_[column].field);
    if (hook != hooks_.end()) {
        try {
            return (*hook)(v);
        } catch (const AppError &) {
            // A stored value the hook cannot read (a code that is not scrambled text) shows
            // as stored rather than failing every repaint.
            return v.toString();
        }
    }
    if (v.isNull()) {
        const auto nullText = nullTexts_.find(columns_[column].field);
        if (nullText != nullTexts_.end()) return (*nullText)(row);
    }
    return ValueText::text(v, columns_[column].field);
}

QVariant GridModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid()) return {};
    const GridColumn &c = columns_[index.column()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(index.row(), index.column());
    case Qt::BackgroundRole:
        // Record numbers count from 1: the first row is odd.
        return (index.row() % 2 == 0) ? oddColor_ : evenColor_;
    case Qt::ForegroundRole:
        return c.link ? QColor(0, 0, 255) : QColor(Qt::black);
    case Qt::FontRole:
        if (c.link) return linkFont_;
        return {};
    case Qt::TextAlignmentRole: {
        const QVariant v = c.field.isEmpty() ? QVariant() : rawValue(index.row(), index.column());
        const Qt::Alignment h = ValueText::isNumber(v) && !hooks_.contains(c.field) ? Qt::AlignRight : Qt::AlignLeft;
        return QVariant::fromValue(h | vAlign_);
    }
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size()) return {};
    if (role == Qt::DisplayRole) return columns_[section].title;
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
