#include "grid/MultiLevelHeader.h"

#include <QAbstractScrollArea>
#include <QPainter>
#include <QScrollBar>

MultiLevelHeader::MultiLevelHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsMovable(true);
    setSectionsClickable(true);
    setSectionResizeMode(QHeaderView::Interactive);
    setDefaultSectionSize(64);
    setMinimumSectionSize(4);
    setHighlightSections(false);
    // Spanning cells change when any section moves or resizes: repaint the whole header.
    connect(this, &QHeaderView::sectionResized, viewport(), qOverload<>(&QWidget::update));
    connect(this, &QHeaderView::sectionMoved, viewport(), qOverload<>(&QWidget::update));
    // A sideways scroll moves the pixels and repaints only the strip that comes into view, but a
    // wide cell centres its title on the part of it in view: repaint the whole header then too.
    // The grid's scroll bar moves the header (after the grid's own handler, connected earlier).
    if (auto *grid = qobject_cast<QAbstractScrollArea *>(parent))
        connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

QStringList MultiLevelHeader::titleLevels(int logical) const {
    const QString title = model() ? model()->headerData(logical, orientation(), Qt::DisplayRole).toString() : QString();
    return title.split(QLatin1Char(kLevelSeparator));
}

int MultiLevelHeader::levels() const {
    int n = 1;
    for (int i = 0; i < count(); ++i)
        if (!isSectionHidden(i)) n = std::max<int>(n, titleLevels(i).size());
    return n;
}

int MultiLevelHeader::levelHeight() const { return fontMetrics().height() + 4; }

QSize MultiLevelHeader::sizeHint() const {
    QSize s = QHeaderView::sizeHint();
    s.setHeight(levels() * levelHeight());
    return s;
}

QList<MultiLevelHeader::Cell> MultiLevelHeader::cells() const {
    struct Column {
        int x, width;
        QStringList parts;
    };
    QList<Column> columns;
    for (int v = 0; v < count(); ++v) {
        const int logical = logicalIndex(v);
        if (isSectionHidden(logical) || sectionSize(logical) <= 0) continue;
        columns.append({sectionViewportPosition(logical), sectionSize(logical), titleLevels(logical)});
    }
    const int rows = levels();
    const int h = levelHeight();
    // Two columns share a cell at a level when their titles agree down to that level and both
    // either end there or go on below it.
    auto sameCell = [](const Column &a, const Column &b, int level) {
        if (b.parts.size() <= level) return false;
        if ((a.parts.size() == level + 1) != (b.parts.size() == level + 1)) return false;
        for (int l = 0; l <= level; ++l)
            if (a.parts[l] != b.parts[l]) return false;
        return true;
    };
    QList<Cell> out;
    for (int level = 0; level < rows; ++level) {
        for (int i = 0; i < columns.size();) {
            if (columns[i].parts.size() <= level) { // covered by a cell stretched from above
                ++i;
                continue;
            }
            int j = i + 1;
            while (j < columns.size() && sameCell(columns[i], columns[j], level)) ++j;
            const bool last = columns[i].parts.size() == level + 1;
            const int right = columns[j - 1].x + columns[j - 1].width;
            out.append({QRect(columns[i].x, level * h, right - columns[i].x, (last ? rows - level : 1) * h),
                        columns[i].parts[level], level});
            i = j;
        }
    }
    return out;
}

void MultiLevelHeader::paintEvent(QPaintEvent *) {
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), titleColor_);
    p.setFont(font());
    const QColor line(128, 128, 128);
    for (const Cell &c : cells()) {
        p.setPen(line);
        // Each cell draws its right and bottom line; together they form the grid of titles.
        p.drawLine(c.rect.right(), c.rect.top(), c.rect.right(), c.rect.bottom());
        p.drawLine(c.rect.left(), c.rect.bottom(), c.rect.right(), c.rect.bottom());
        p.setPen(Qt::black);
        // A wide cell scrolled partly out of view centres its title in the part still in view; a
        // cell wholly out of view has no title to draw.
        const QRect shown = c.rect.intersected(viewport()->rect());
        if (shown.width() <= 5 || shown.height() <= 3) continue;
        p.drawText(shown.adjusted(2, 1, -3, -2), Qt::AlignCenter | Qt::TextWordWrap, c.text);
    }
}
