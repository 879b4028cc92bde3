#pragma once
#include "suggest/SuggestIndex.h"

#include <QAbstractTableModel>

// The ranked lines of a description search as a table: rank, code, name (the matched words'
// places under SpansRole), MFN rate, the words matched and the history's cases and rulings.
class SuggestModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Rank, Code, Name, Rate, Matched, Cases, Rulings, ColumnCount };
    // The (start, length) places of the matched words in the name, as a QVariantList of QPoint.
    static constexpr int SpansRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;
    void setSuggestions(QList<Suggestion> suggestions);
    const QList<Suggestion> &suggestions() const { return rows_; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QList<Suggestion> rows_;
};
