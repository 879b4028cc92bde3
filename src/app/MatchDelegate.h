#pragma once
#include <QStyledItemDelegate>

// Paints a cell's text with the places under SuggestModel::SpansRole in red and bold: the words
// of the name a description matched.
class MatchDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
