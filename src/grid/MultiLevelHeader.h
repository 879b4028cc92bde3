#pragma once
#include "chrome/Colors.h"

#include <QColor>
#include <QHeaderView>
#include <QList>
#include <QRect>

// A horizontal grid header of several rows. A column title "A|B|C" names one header cell per
// level, top level first. Neighbouring columns (in their on-screen order) whose titles agree up
// to a level share one cell there, spanning them; a column whose title has fewer levels than the
// header stretches its last level down to the bottom. Moving or resizing columns re-forms the
// spans from the new order, so a column moved away from its group gets cells of its own.
class MultiLevelHeader : public QHeaderView {
    Q_OBJECT
public:
    static constexpr char kLevelSeparator = '|';

    struct Cell {
        QRect rect; // in viewport coordinates
        QString text;
        int level;
    };

    explicit MultiLevelHeader(QWidget *parent = nullptr);

    void setTitleColor(const QColor &c) { titleColor_ = c; }
    // The number of header rows: the most levels any column title has.
    int levels() const;
    int levelHeight() const;
    // The cells the header draws, computed from the visible columns in their visual order.
    QList<Cell> cells() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QStringList titleLevels(int logical) const;
    QColor titleColor_ = Colors::skyBlue;
};
