#pragma once
// Vector icons, each drawn to fit the square box it is given.
#include <QColor>
#include <QPainter>
#include <QRectF>

namespace art {

void gearIcon(QPainter &p, const QRectF &box);
void peopleIcon(QPainter &p, const QRectF &box);
void powerIcon(QPainter &p, const QRectF &box);
void backArrowIcon(QPainter &p, const QRectF &box);
void magnifierIcon(QPainter &p, const QRectF &box, const QColor &ink);
void importIcon(QPainter &p, const QRectF &box);
// The product's mark: a blue rounded square holding a white magnifier over code lines.
void productMark(QPainter &p, const QRectF &box);

} // namespace art
