#pragma once
#include "data/Statement.h"

#include <QSet>
#include <QString>
#include <functional>
#include <memory>

class Connection;
class ResultEngine;

// What a result column sorts by: its displayed value. Codes by their plain form (numbers before
// texts), numbers as numbers, anything else as stored.
struct SortKey {
    enum Kind { Stored, Number, PlainCode };
    QString column;
    Kind kind = Stored;
};

// The store a connection works on: the SQLite file or a database server. Everything the two do
// differently is asked of it, so the statements built above give the same rows in the same order
// on both, every value bound.
class Store {
public:
    virtual ~Store() = default;

    // "<column> like ?": A-Z compared without case, no escape character, as the file compares.
    virtual Statement like(const QString &column, const QString &pattern) const = 0;
    // "<code column> = ?": codes compare without case.
    virtual Statement codeEquals(const QString &column, const QString &code) const = 0;
    // The ordering by a code column, rows of equal codes in the order they were written; when
    // `sortMatches`, the rows a condition selected are sorted rather than read in the code
    // index's order (the file then has no use for the index).
    virtual QString codeOrder(const QString &column, bool descending, bool sortMatches = false) const = 0;
    // " order by ..." giving the rows in the order they were written; empty where that is the
    // table's own order.
    virtual QString writtenOrder() const = 0;
    // The ordering by a sort key, Null first, ties in `rowid`'s order.
    virtual QString sortOrder(const SortKey &key, bool descending, const QString &rowid) const = 0;

    // The searched tables whose name index the database has.
    virtual bool hasNameIndex(const QString &table) const = 0;
    // Whether the store's own planner decides how to use a name index condition (then only
    // nameCondition() is asked for); otherwise the search probes what the data says.
    virtual bool plansItself() const = 0;
    // The name index's condition on the rows of `table` whose `column` may contain the fragment
    // ('%' and '_' are wildcards); empty when the index cannot narrow. `walk`: the condition
    // must not drive the loop (the code index does, in order).
    virtual Statement nameCondition(const QString &table, const QString &column, const QString &fragment,
                                    bool walk = false) const = 0;
    // The rows of `table` whose name may hold the fragment and whose code may start with
    // `codeStart` (a literal, no wildcard), read in code order without sorting them: `from`, the
    // source ("... as zm ...") with the table's columns under the table's name, and `order`, the
    // ordering that keeps the source's order (reversed when `descending`). An empty `from` when
    // the store keeps no such order for the table or the fragment. It only narrows: the caller's
    // conditions decide.
    struct CodeOrderedRows {
        Statement from;
        QString order;
    };
    virtual CodeOrderedRows codeOrderedRows(const QString &table, const QString &fragment, const QString &codeStart,
                                            bool descending) const = 0;
    // "select count(*) ..." of the rows whose name contains the fragment, counted in the name
    // index alone where that count is exact; empty where it is not.
    virtual Statement exactNameCount(const QString &table, const QString &fragment) const = 0;

    // Whether the engine's driver brings a whole result at once: then a search query held for a
    // grid, which reads the rest itself, brings only its first rows (Query::setHeadOnly).
    virtual bool bringsWholeResult() const = 0;
    // A reader's own connection to the same database (a thread's).
    virtual std::unique_ptr<ResultEngine> readerEngine(const Connection &connection) const = 0;
};
