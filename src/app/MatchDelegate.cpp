#include "app/MatchDelegate.h"

#include "app/SuggestModel.h"

#include <QApplication>
#include <QPainter>

void MatchDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QStyle *style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    std::vector<bool> marked(size_t(text.size()), false);
    for (const QVariant &v : index.data(SuggestModel::SpansRole).toList()) {
        const QPoint span = v.toPoint();
        for (int i = span.x(); i < span.x() + span.y() && i < text.size(); ++i) marked[size_t(i)] = true;
    }
    QRect r = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget).adjusted(2, 0, -2, 0);
    painter->save();
    painter->setClipRect(r);
    const bool selected = opt.state & QStyle::State_Selected;
    QFont bold = opt.font;
    bold.setBold(true);
    int x = r.left();
    for (qsizetype i = 0; i < text.size() && x < r.right();) {
        const bool m = marked[size_t(i)];
        qsizetype j = i;
        while (j < text.size() && marked[size_t(j)] == m) ++j;
        const QString piece = text.mid(i, j - i);
        painter->setFont(m ? bold : opt.font);
        painter->setPen(m && !selected ? QColor(200, 0, 0)
                                       : opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QFontMetrics fm(painter->font());
        painter->drawText(QRect(x, r.top(), r.right() - x, r.height()), Qt::AlignVCenter | Qt::AlignLeft, piece);
        x += fm.horizontalAdvance(piece);
        i = j;
    }
    painter->restore();
}
