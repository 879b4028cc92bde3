#include "grid/RowCache.h"

#include <QSqlQueryModel>

RowCache::~RowCache() = default;

void RowCache::clear() {
    reader_.reset();
    blocks_.clear();
    single_.clear();
    head_ = nullptr;
    headRows_ = 0;
}

void RowCache::setHead(const QSqlQueryModel *model, int rows) {
    head_ = model;
    headRows_ = model ? rows : 0;
}

void RowCache::read(std::unique_ptr<ResultEngine> engine, ResultReader::Statements statements) {
    blocks_.clear();
    single_.clear();
    // Told on the reader's thread; handled on this one (a cache gone by then hears nothing).
    reader_ = std::make_unique<ResultReader>(std::move(engine), std::move(statements), [this] {
        QMetaObject::invokeMethod(this, &RowCache::changed, Qt::QueuedConnection);
    });
}

bool RowCache::has(qint64 row) const {
    if (row >= 0 && row < headRows_) return true;
    return reader_ && reader_->has(row);
}

std::optional<QVariant> RowCache::value(qint64 row, int field) const {
    if (row >= 0 && row < headRows_) return head_->data(head_->index(int(row), field), Qt::DisplayRole);
    const ResultRow *values = this->row(row);
    if (!values) return std::nullopt;
    return values->value(field);
}

const ResultRow *RowCache::row(qint64 row) const {
    if (!reader_) return nullptr;
    const qint64 block = row / SpilledResult::kBlockRows;
    const qint64 first = std::max<qint64>(block * SpilledResult::kBlockRows, headRows_);
    for (qsizetype i = blocks_.size() - 1; i >= 0; --i) {
        if (blocks_[i].first != block) continue;
        if (i != blocks_.size() - 1) blocks_.move(i, blocks_.size() - 1);
        return &blocks_.last().second[row - first];
    }
    if (!reader_->has(row)) {
        reader_->want(row);
        return nullptr;
    }
    // A row can be read only once counted: the block ends at the count.
    const qint64 last = std::min<qint64>((block + 1) * SpilledResult::kBlockRows, reader_->count()) - 1;
    if (!reader_->hasRange(first, last)) {
        single_ = reader_->rows(row, 1).value(0);
        return &single_;
    }
    if (blocks_.size() >= kBlocks) blocks_.removeFirst();
    blocks_.append({block, reader_->rows(first, int(last - first + 1))});
    return &blocks_.last().second[row - first];
}

qsizetype RowCache::rowsInMemory() const {
    qsizetype n = headRows_ + (single_.isEmpty() ? 0 : 1);
    for (const auto &block : blocks_) n += block.second.size();
    return n;
}
