#include "app/SuggestModel.h"

#include <QPoint>

void SuggestModel::setSuggestions(QList<Suggestion> suggestions) {
    beginResetModel();
    rows_ = std::move(suggestions);
    endResetModel();
}

int SuggestModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

int SuggestModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant SuggestModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size()) return {};
    const Suggestion &s = rows_[index.row()];
    if (role == SpansRole && index.column() == Name) {
        QVariantList spans;
        for (const auto &[start, length] : s.spans) spans << QPoint(start, length);
        return spans;
    }
    if (role == Qt::TextAlignmentRole) {
        const bool number = index.column() == Rank || index.column() == Rate || index.column() >= Cases;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    if (role == Qt::ToolTipRole && index.column() == Name) return s.name;
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
    case Rank:
        return index.row() + 1;
    case Code:
        return s.code;
    case Name:
        return s.name;
    case Rate:
        return s.rate;
    case Matched:
        return s.matched.join(QStringLiteral("、"));
    case Cases:
        return s.cases;
    case Rulings:
        return s.rulings;
    default:
        return {};
    }
}

QVariant SuggestModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char *const titles[] = {"序号", "商品编码", "商品名称", "最惠国税率", "匹配的词", "案例", "归类决定"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QVariant();
}
