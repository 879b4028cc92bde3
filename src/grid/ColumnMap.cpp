#include "grid/ColumnMap.h"

void ColumnMap::map(const QSqlRecord &record) {
    columns_.clear();
    sources_.clear();
    if (declared_.isEmpty()) {
        // Without declared columns: one column per field of the result, in field order.
        for (int i = 0; i < record.count(); ++i) {
            const QString name = record.fieldName(i);
            columns_.append({name, labels_.value(name, name)});
            sources_.append(i);
        }
        return;
    }
    columns_ = declared_;
    for (const GridColumn &c : columns_) sources_.append(c.field.isEmpty() ? -1 : record.indexOf(c.field));
}

QString ColumnMap::fieldAt(int column) const {
    return column >= 0 && column < columns_.size() ? columns_[column].field : QString();
}
