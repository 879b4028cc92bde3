#pragma once
#include "search/GridColumn.h"

#include <QHash>
#include <QList>
#include <QSqlRecord>

// The columns a grid shows and the result field behind each: the declared columns, or without
// any one column per field of the result, titled by the field labels.
class ColumnMap {
public:
    void setDeclared(QList<GridColumn> columns) { declared_ = std::move(columns); }
    void setLabels(QHash<QString, QString> labels) { labels_ = std::move(labels); }
    // Maps the columns to the fields of a result (an empty record: no result).
    void map(const QSqlRecord &record);

    int size() const { return int(columns_.size()); }
    const GridColumn &at(int column) const { return columns_[column]; }
    // The field a column shows; empty for a column without a field.
    QString fieldAt(int column) const;
    // The index in the result of a column's field; -1 when the result has none.
    int sourceOf(int column) const { return sources_.value(column, -1); }

private:
    QList<GridColumn> declared_;
    QHash<QString, QString> labels_;
    QList<GridColumn> columns_;
    QList<int> sources_;
};
