#include "grid/GridModel.h"

#include "data/Connection.h"
#include "data/Query.h"

#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <limits>

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent) {
    connect(&cache_, &RowCache::changed, this, &GridModel::readerChanged);
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
        // first ones come from the reader.
        connect(source_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
            beginResetModel();
            detach();
        });
        connect(source_, &QAbstractItemModel::modelReset, this, [this] {
            attach();
            endResetModel();
        });
        // A query that goes while still linked takes its result along.
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
    columns_.setDeclared(std::move(columns));
    remap();
    pending_.clear(); // the views paint every row again
    endResetModel();
}

void GridModel::remap() { columns_.map(source_ ? source_->record() : QSqlRecord()); }

void GridModel::detach() {
    cache_.clear();
    pending_.clear();
    rows_ = 0;
    endWanted_ = false;
}

void GridModel::attach() {
    // A new result comes in its own order.
    sortColumn_ = -1;
    sortOrder_ = Qt::AscendingOrder;
    rows_ = source_ ? source_->rowCount() : 0;
    cache_.setHead(source_, rows_);
    remap();
    // A query not run yet, or closed, has nothing to read on (its empty model still says it might).
    // A search on the server holds its first rows only (Query::cut).
    if (source_ && source_->query().isActive() && (source_->canFetchMore() || query_->cut())) {
        const ResultSource *described = query_->source().get();
        startReader(query_->executed(), described ? described->reversed() : Statement(), rows_, -1, kCountDelayMs);
    }
    emit countChanged();
}

void GridModel::startReader(const Statement &forward, const Statement &backward, qint64 skip, qint64 count,
                            int delayMs) {
    const ResultSource *described = query_->source().get();
    cache_.read(ResultEngine::of(*query_->connection()),
                {forward, skip, backward, described ? described->count() : Statements::countOf(query_->executed()),
                 count, delayMs});
}

void GridModel::readerChanged() {
    ResultReader *reader = cache_.reader();
    if (!reader) return;
    const bool counted = rows_ < reader->count();
    announceNewRows();
    if (counted) emit countChanged();
    if (endWanted_ && reader->count() >= 0) {
        endWanted_ = false;
        if (rows_ > 0) reader->want(rows_ - 1);
        emit endReady();
    }
    // Rows painted as pending repaint once they have come, or once they never will.
    const bool lost = reader->failed();
    for (const auto &[first, last] : pending_.take([&](int row) { return lost || cache_.has(row); }))
        emit dataChanged(index(first, 0), index(last, columns_.size() - 1));
}

void GridModel::announceNewRows(qint64 upTo) {
    // A view that hears of new rows may fetch more at once, inside our own announcement: those
    // rows are announced after it, by this loop, never nested in it.
    ResultReader *reader = cache_.reader();
    if (announcing_ || !reader) return;
    announcing_ = true;
    for (;;) {
        const int n = int(std::min({reader->count(), upTo, qint64(std::numeric_limits<int>::max())}));
        if (n <= rows_) break;
        beginInsertRows({}, rows_, n - 1);
        rows_ = n;
        endInsertRows();
    }
    announcing_ = false;
}

qint64 GridModel::matchCount() const {
    if (!source_) return 0;
    return cache_.reader() ? cache_.reader()->count() : cache_.headRows();
}

void GridModel::fetchAll() {
    if (!cache_.reader()) return;
    cache_.reader()->readAll();
    announceNewRows();
}

GridModel::RowState GridModel::waitForRow(int row, int ms) {
    if (row >= rows_ && canFetchMore({})) fetchMore({});
    ResultReader *reader = cache_.reader();
    if (row < rows_ && (row < cache_.headRows() || !reader)) return RowState::Read;
    if (!reader || (row >= rows_ && !canFetchMore({}))) return RowState::End;
    if (reader->waitFor(row, ms) && row < rows_) return RowState::Read;
    return reader->failed() ? RowState::Lost : RowState::Pending;
}

bool GridModel::fetchEnd() {
    ResultReader *reader = cache_.reader();
    if (!reader) return true;
    const qint64 n = reader->count();
    if (n < 0) {
        // Counting takes a while on a large result: the end is shown when the count comes
        // (endReady) rather than holding the window until then.
        endWanted_ = true;
        reader->hurry();
        return false;
    }
    announceNewRows();
    // The last rows are read from the end.
    if (n > 0) reader->waitFor(n - 1, kWaitMs);
    return true;
}

bool GridModel::sortable() const {
    return query_ && query_->source() && !query_->source()->sorted({query_->source()->codeColumn()}, false).isEmpty();
}

std::optional<SortKey> GridModel::sortKey(int column) const {
    const QString field = fieldAt(column);
    if (field.isEmpty() || !query_ || !query_->source()) return std::nullopt;
    // Codes in the numeric order of their plain form; numbers as numbers; text and dates (stored
    // as ISO text) as stored.
    if (field == query_->source()->codeColumn()) return SortKey{field, SortKey::PlainCode};
    for (const FieldDef &f : query_->fields())
        if (f.name == field && (f.kind == FieldKind::Integer || f.kind == FieldKind::Float))
            return SortKey{field, SortKey::Number};
    return SortKey{field, SortKey::Stored};
}

void GridModel::sort(int column, Qt::SortOrder order) {
    if (column == sortColumn_ && order == sortOrder_) return;
    const std::optional<SortKey> key = sortKey(column);
    if (!key || !sortable()) return;
    // A count not known yet is not waited for: the sorted reader counts, and the rows are
    // announced when it has.
    const qint64 n = matchCount();
    const ResultSource &described = *query_->source();
    const bool descending = order == Qt::DescendingOrder;
    beginResetModel();
    detach();
    sortColumn_ = column;
    sortOrder_ = order;
    remap();
    // Every row comes from the sorted run; the query's own first rows are in the other order.
    startReader(described.sorted(*key, descending), described.sorted(*key, !descending), 0, n);
    rows_ = int(std::clamp<qint64>(n, 0, std::numeric_limits<int>::max()));
    endResetModel();
    if (rows_ > 0) cache_.reader()->waitFor(0, kWaitMs);
}

int GridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() || !source_ ? 0 : rows_; }

int GridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : columns_.size(); }

bool GridModel::canFetchMore(const QModelIndex &parent) const {
    if (parent.isValid() || !source_ || !cache_.reader()) return false;
    const qint64 n = cache_.reader()->count();
    return n < 0 || rows_ < n;
}

void GridModel::fetchMore(const QModelIndex &parent) {
    if (!canFetchMore(parent)) return;
    // Until the count comes the view keeps the rows it has (the whole count is announced when
    // it comes); then a chunk at a time, as the query's own model reads.
    if (cache_.reader()->count() < 0) {
        cache_.reader()->hurry();
        return;
    }
    announceNewRows(rows_ + kFetchRows);
}

QVariant GridModel::value(int row, int column) const {
    const int field = columns_.sourceOf(column);
    if (field < 0 || !source_ || row < 0 || row >= rows_) return {};
    if (!cache_.has(row) && cache_.reader()) cache_.reader()->waitFor(row);
    return cache_.value(row, field).value_or(QVariant());
}

std::optional<QVariant> GridModel::shown(int row, int column) const {
    const int field = columns_.sourceOf(column);
    if (field < 0 || !source_ || row < 0 || row >= rows_) return QVariant();
    // A row painted as pending stays so until the reader's news repaints it whole: its cells
    // and looks never mix.
    if (pending_.contains(row)) return std::nullopt;
    std::optional<QVariant> v = cache_.value(row, field);
    if (v) return v;
    // Rows lost to a failed read show empty rather than as coming.
    if (cache_.reader() && cache_.reader()->failed()) return QVariant();
    pending_.add(row);
    return std::nullopt;
}

int GridModel::columnOf(const QString &field) const {
    for (int c = 0; c < columns_.size(); ++c)
        if (columns_.fieldAt(c) == field) return c;
    return -1;
}

QString GridModel::text(int row, int column) const {
    if (column < 0 || column >= columns_.size()) return {};
    return text_.text(columns_.at(column).field, value(row, column), row);
}

QVariant GridModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row();
    const GridColumn &c = columns_.at(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const std::optional<QVariant> v = shown(row, index.column());
        return v ? text_.text(c.field, *v, row) : CellLook::kPendingText;
    }
    case Qt::BackgroundRole:
        return look_.background(row);
    case Qt::ForegroundRole:
        return shown(row, index.column()) ? CellLook::foreground(c.link) : CellLook::kPendingColor;
    case Qt::FontRole:
        if (c.link && shown(row, index.column())) return look_.link;
        return {};
    case Qt::TextAlignmentRole: {
        const Qt::Alignment h = text_.alignment(c.field, shown(row, index.column()).value_or(QVariant()));
        return QVariant::fromValue(h | look_.vertical);
    }
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size()) return {};
    if (role == Qt::DisplayRole) return columns_.at(section).title;
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
