#pragma once
#include "data/ResultReader.h"

#include <QList>
#include <QObject>
#include <QVariant>
#include <memory>
#include <optional>

class QSqlQueryModel;

// The rows of a result as a grid reads them, in bounded memory for any result size: the query's
// own first rows (the head) as its model holds them; the rest read on another thread by a
// ResultReader into temporary files and decoded here a block at a time, only the blocks used
// last kept. A row not read yet is asked for and answered "not yet", never waited for.
class RowCache : public QObject {
    Q_OBJECT
public:
    explicit RowCache(QObject *parent = nullptr) : QObject(parent) {}
    ~RowCache() override;

    // Forgets the result: its head, its reader (stopped) and the rows kept.
    void clear();
    // Rows [0, rows) are read from the query's model, which holds them.
    void setHead(const QSqlQueryModel *model, int rows);
    // Starts reading the rows after the head on another thread.
    void read(std::unique_ptr<ResultEngine> engine, ResultReader::Statements statements);

    int headRows() const { return headRows_; }
    // The reader of the rows after the head; null when the head is the whole result.
    ResultReader *reader() const { return reader_.get(); }
    // Whether the row can be read now.
    bool has(qint64 row) const;
    // A field of a row; nothing while the row is not read yet, and then the reader is asked for it.
    std::optional<QVariant> value(qint64 row, int field) const;
    // Rows held as values: the head and the blocks kept.
    qsizetype rowsInMemory() const;

    // Blocks of rows kept as values beyond the head.
    static constexpr int kBlocks = 16;

signals:
    // The reader counted or read more; told on this object's thread.
    void changed();

private:
    // The row's values when it can be read now; null when not (yet).
    const ResultRow *row(qint64 row) const;

    const QSqlQueryModel *head_ = nullptr;
    int headRows_ = 0;
    std::unique_ptr<ResultReader> reader_;
    // Decoded blocks of rows, most recently used last; filled as rows are read from them.
    mutable QList<std::pair<qint64, QList<ResultRow>>> blocks_;
    // The row one was read for when its block could not be read whole.
    mutable ResultRow single_;
};
