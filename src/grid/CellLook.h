#pragma once
#include <QColor>
#include <QFont>
#include <QString>

// How a grid's cells look besides their text: rows coloured by record number (odd rows one
// colour, even rows another), links blue and underlined, and a row not read yet dimmed.
struct CellLook {
    QColor oddRow = Qt::white;
    QColor evenRow = Qt::white;
    QFont link;
    Qt::Alignment vertical = Qt::AlignVCenter;

    // Record numbers count from 1: the first row is odd.
    const QColor &background(int row) const { return row % 2 == 0 ? oddRow : evenRow; }
    static QColor foreground(bool isLink) { return isLink ? QColor(0, 0, 255) : QColor(Qt::black); }

    // A cell of a row still being read shows a light grey ellipsis: something is coming, and
    // it is not a value.
    static inline const QString kPendingText = QStringLiteral("…");
    static inline const QColor kPendingColor{170, 170, 170};
};
