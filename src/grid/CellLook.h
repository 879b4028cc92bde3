#pragma once
#include <QColor>
#include <QFont>

// How a grid's cells look besides their text: rows coloured by record number (odd rows one
// colour, even rows another) and links blue and underlined.
struct CellLook {
    QColor oddRow = Qt::white;
    QColor evenRow = Qt::white;
    QFont link;
    Qt::Alignment vertical = Qt::AlignVCenter;

    // Record numbers count from 1: the first row is odd.
    const QColor &background(int row) const { return row % 2 == 0 ? oddRow : evenRow; }
    static QColor foreground(bool isLink) { return isLink ? QColor(0, 0, 255) : QColor(Qt::black); }
};
