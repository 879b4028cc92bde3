#include "grid/GridModel.h"

#include "data/Connection.h"
#include "data/Query.h"
#include "data/ResultReader.h"

#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <limits>

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent) {}

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
    endResetModel();
}

void GridModel::remap() { columns_.map(source_ ? source_->record() : QSqlRecord()); }

void GridModel::detach() {
    reader_.reset();
    rows_ = 0;
    cache_.clear();
    single_.clear();
    head_ = 0;
    sourceMore_ = false;
    stalled_ = blanks_ = false;
    endWanted_ = false;
}

void GridModel::attach() {
    // A new result comes in its own order.
    sortColumn_ = -1;
    sortOrder_ = Qt::AscendingOrder;
    head_ = source_ ? source_->rowCount() : 0;
    rows_ = head_;
    // A query not run yet, or closed, has nothing to read on (its empty model still says it might).
    // A search on the server holds its first rows only (Query::cut).
    sourceMore_ = source_ && source_->query().isActive() && (source_->canFetchMore() || query_->cut());
    remap();
    if (sourceMore_) {
        const ResultSource *described = query_->source().get();
        startReader(query_->executed(), described ? described->reversed() : Statement(), head_, -1, kCountDelayMs);
    }
    emit countChanged();
}

void GridModel::startReader(const Statement &forward, const Statement &backward, qint64 skip, qint64 count,
                            int delayMs) {
    Connection *con = query_->connection();
    const ResultSource *described = query_->source().get();
    ResultReader::Statements statements{
        forward, skip,   backward, described ? described->count() : Statements::countOf(query_->executed()),
        count,   delayMs};
    // Told on the reader's thread; handled on this one (a model gone by then hears nothing).
    reader_ = std::make_unique<ResultReader>(ResultEngine::of(*con), std::move(statements), [this] {
        QMetaObject::invokeMethod(this, &GridModel::readerChanged, Qt::QueuedConnection);
    });
}

void GridModel::readerChanged() {
    if (!reader_) return;
    const bool counted = rows_ < reader_->count();
    announceNewRows();
    if (counted) emit countChanged();
    if (endWanted_ && reader_->count() >= 0) {
        endWanted_ = false;
        if (rows_ > 0) reader_->want(rows_ - 1);
        emit endReady();
    }
    stalled_ = false;
    if (blanks_ && rows_ > 0) {
        blanks_ = false;
        emit dataChanged(index(0, 0), index(rows_ - 1, columns_.size() - 1));
    }
}

void GridModel::announceNewRows(qint64 upTo) {
    // A view that hears of new rows may fetch more at once, inside our own announcement: those
    // rows are announced after it, by this loop, never nested in it.
    if (announcing_ || !reader_) return;
    announcing_ = true;
    for (;;) {
        const int n = int(std::min({reader_->count(), upTo, qint64(std::numeric_limits<int>::max())}));
        if (n <= rows_) break;
        // A block read while the last row announced lay inside it holds only the rows up to that
        // one: it is read again, whole, when next shown.
        if (rows_ % SpilledResult::kBlockRows != 0) {
            const qint64 partial = rows_ / SpilledResult::kBlockRows;
            cache_.removeIf([partial](const auto &block) { return block.first == partial; });
        }
        beginInsertRows({}, rows_, n - 1);
        rows_ = n;
        endInsertRows();
    }
    announcing_ = false;
}

qint64 GridModel::matchCount() const {
    if (!source_) return 0;
    return reader_ ? reader_->count() : head_;
}

void GridModel::fetchAll() {
    if (!reader_) return;
    reader_->readAll();
    stalled_ = false;
    announceNewRows();
}

GridModel::RowState GridModel::waitForRow(int row, int ms) {
    if (row >= rows_ && canFetchMore({})) fetchMore({});
    if (row < rows_ && (row < head_ || !reader_)) return RowState::Read;
    if (!reader_ || (row >= rows_ && !canFetchMore({}))) return RowState::End;
    if (reader_->waitFor(row, ms) && row < rows_) return RowState::Read;
    return reader_->failed() ? RowState::Lost : RowState::Pending;
}

bool GridModel::fetchEnd() {
    if (!reader_) return true;
    const qint64 n = reader_->count();
    if (n < 0) {
        // Counting takes a while on a large result: the end is shown when the count comes
        // (endReady) rather than holding the window until then.
        endWanted_ = true;
        reader_->hurry();
        return false;
    }
    announceNewRows();
    // The last rows are read from the end; a row not read within the wait shows when it is.
    stalled_ = n > 0 && !reader_->waitFor(n - 1, kWaitMs);
    return true;
}

qsizetype GridModel::rowsInMemory() const {
    qsizetype n = head_ + (single_.isEmpty() ? 0 : 1);
    for (const auto &block : cache_) n += block.second.size();
    return n;
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
    const qint64 n = reader_ ? reader_->count() : head_;
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
    // The sort takes a moment on a large result: the first rows are waited for a little.
    if (rows_ > 0 && !reader_->waitFor(0, kWaitMs)) stalled_ = true;
}

int GridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() || !source_ ? 0 : rows_; }

int GridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : columns_.size(); }

bool GridModel::canFetchMore(const QModelIndex &parent) const {
    if (parent.isValid() || !source_ || !reader_) return false;
    const qint64 n = reader_->count();
    return n < 0 || rows_ < n;
}

void GridModel::fetchMore(const QModelIndex &parent) {
    if (!canFetchMore(parent)) return;
    // Until the count comes the view keeps the rows it has (the whole count is announced when
    // it comes); then a chunk at a time, as the query's own model reads.
    if (reader_->count() < 0) {
        reader_->hurry();
        return;
    }
    announceNewRows(rows_ + kFetchRows);
}

QVariant GridModel::rawValue(int row, int column) const {
    const int sc = columns_.sourceOf(column);
    if (sc < 0 || !source_ || row < 0 || row >= rows_) return {};
    if (row < head_) return source_->data(source_->index(row, sc), Qt::DisplayRole);
    const QList<QVariant> *values = readRow(row);
    return values ? values->value(sc) : QVariant();
}

const QList<QVariant> *GridModel::readRow(qint64 row) const {
    const qint64 block = row / SpilledResult::kBlockRows;
    for (qsizetype i = cache_.size() - 1; i >= 0; --i) {
        if (cache_[i].first != block) continue;
        if (i != cache_.size() - 1) cache_.move(i, cache_.size() - 1);
        const qint64 first = std::max<qint64>(block * SpilledResult::kBlockRows, head_);
        return &cache_.last().second[row - first];
    }
    if (!reader_->has(row)) {
        // While a wait timed out, rows not held show empty until the reader's news comes, so
        // a row does not change unannounced.
        reader_->want(row);
        if (stalled_) {
            blanks_ = true;
            return nullptr;
        }
        // A row just past those read is worth a short wait; others are asked for and shown
        // when they come.
        const bool wait = reader_->near(row, 2 * ResultReader::kAhead);
        if (!wait || !reader_->waitFor(row, kWaitMs)) {
            stalled_ = wait;
            blanks_ = true;
            return nullptr;
        }
    }
    const qint64 first = std::max<qint64>(block * SpilledResult::kBlockRows, head_);
    const qint64 last = std::min<qint64>((block + 1) * SpilledResult::kBlockRows, rows_) - 1;
    if (!reader_->hasRange(first, last)) {
        single_ = reader_->rows(row, 1).value(0);
        return &single_;
    }
    if (cache_.size() >= kCachedBlocks) cache_.removeFirst();
    cache_.append({block, reader_->rows(first, int(last - first + 1))});
    return &cache_.last().second[row - first];
}

QString GridModel::text(int row, int column) const {
    if (column < 0 || column >= columns_.size()) return {};
    return text_.text(columns_.at(column).field, rawValue(row, column), row);
}

QVariant GridModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid()) return {};
    const GridColumn &c = columns_.at(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(index.row(), index.column());
    case Qt::BackgroundRole:
        return look_.background(index.row());
    case Qt::ForegroundRole:
        return CellLook::foreground(c.link);
    case Qt::FontRole:
        if (c.link) return look_.link;
        return {};
    case Qt::TextAlignmentRole: {
        const Qt::Alignment h = text_.alignment(c.field, rawValue(index.row(), index.column()));
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
