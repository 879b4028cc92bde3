#pragma once
#include "data/Statement.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

class QSqlDatabase;

// One pass over a statement's rows holding a bounded number of them. On the SQLite file a
// forward-only query steps through the engine's rows. A database server's driver brings a whole
// result before its first row: there a cursor is read a batch at a time, in a read-only
// transaction of the connection's session that ends with the stream (so not inside another).
class RowStream {
public:
    // The file's rows: the forward-only query, executed, on its first row.
    explicit RowStream(QSqlQuery rows);
    // A server's rows: the statement's cursor, on its first row; throws AppError.
    RowStream(const QSqlDatabase &db, const Statement &statement);
    RowStream(RowStream &&other) noexcept;
    RowStream(const RowStream &) = delete;
    RowStream &operator=(const RowStream &) = delete;
    RowStream &operator=(RowStream &&) = delete;
    ~RowStream();

    bool isValid() const { return query_.isValid(); }
    // The next row; throws AppError when a server's batch cannot be fetched.
    void next();
    QVariant value(int column) const { return query_.value(column); }
    QSqlRecord record() const { return query_.record(); }
    const QSqlQuery &query() const { return query_; }

private:
    void fetch();

    QSqlQuery query_;
    QString cursor_; // empty on the file
    int inBatch_ = 0; // rows of the batch read so far
    int lastBatch_ = 0; // the size asked of the batch
};
