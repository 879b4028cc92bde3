#pragma once
#include "data/Store.h"

// A PostgreSQL server, giving the rows, values and order the file gives:
// - LIKE ignores the case of A-Z only and has no escape character, as the file's: both sides are
//   folded with zendrik_nocase() (A-Z to a-z, nothing else) and the pattern gets "escape ''".
//   ILIKE would also fold other letters. The folded code columns are indexed, so a code prefix
//   is an index range (text columns compare as "C", byte by byte as the file's do).
// - Code columns compare and sort folded; equal codes come in the order the rows were written
//   (the rowid column the server's tables carry), as the file's code index gives them.
// - Sorting by a displayed value puts Null first and orders plain codes as the file does
//   (plain_code_order(): numbers before texts).
// - The name index (ServerNameIndex) is a condition the server's planner uses as it sees fit;
//   where the cases' keys are kept in code order (ServerKeyOrder), a case search reads them in
//   that order instead, fetching each row by its rowid.
// - The driver brings a whole result into memory before its first row: a grid's search brings
//   its first rows only.
class ServerStore : public Store {
public:
    ServerStore(QSet<QString> nameIndexes, QSet<QString> keyOrders)
        : nameIndexes_(std::move(nameIndexes)), keyOrders_(std::move(keyOrders)) {}

    Statement like(const QString &column, const QString &pattern) const override;
    Statement codeEquals(const QString &column, const QString &code) const override;
    QString codeOrder(const QString &column, bool descending, bool sortMatches) const override;
    QString writtenOrder() const override { return QStringLiteral(" order by rowid"); }
    QString sortOrder(const SortKey &key, bool descending, const QString &rowid) const override;
    bool hasNameIndex(const QString &table) const override { return nameIndexes_.contains(table); }
    bool plansItself() const override { return true; }
    Statement nameCondition(const QString &table, const QString &column, const QString &fragment,
                            bool walk) const override;
    CodeOrderedRows codeOrderedRows(const QString &table, const QString &fragment, const QString &codeStart,
                                    bool descending) const override;
    Statement exactNameCount(const QString &table, const QString &fragment) const override;
    bool bringsWholeResult() const override { return true; }
    std::unique_ptr<ResultEngine> readerEngine(const Connection &connection) const override;

    // Folds A-Z to a-z and nothing else, as zendrik_nocase() on the server and LIKE on the file.
    static QString folded(QString text);

private:
    QSet<QString> nameIndexes_;
    QSet<QString> keyOrders_;
};
