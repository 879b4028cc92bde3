#pragma once
#include "data/Store.h"

// The SQLite file. Its code columns are declared without case, so a code compares and sorts as
// written; its name index (SearchIndex) is an FTS table searched with "match", which the search
// chooses how to use from what the data says.
class FileStore : public Store {
public:
    explicit FileStore(QSet<QString> nameIndexes) : nameIndexes_(std::move(nameIndexes)) {}

    Statement like(const QString &column, const QString &pattern) const override;
    Statement codeEquals(const QString &column, const QString &code) const override;
    QString codeOrder(const QString &column, bool descending, bool sortMatches) const override;
    QString writtenOrder() const override { return {}; }
    QString sortOrder(const SortKey &key, bool descending, const QString &rowid) const override;
    bool hasNameIndex(const QString &table) const override { return nameIndexes_.contains(table); }
    bool plansItself() const override { return false; }
    Statement nameCondition(const QString &table, const QString &column, const QString &fragment,
                            bool walk) const override;
    CodeOrderedRows codeOrderedRows(const QString &table, const QString &fragment, const QString &codeStart,
                                    bool descending) const override;
    Statement exactNameCount(const QString &table, const QString &fragment) const override;
    bool bringsWholeResult() const override { return false; }
    std::unique_ptr<ResultEngine> readerEngine(const Connection &connection) const override;

private:
    QSet<QString> nameIndexes_;
};
