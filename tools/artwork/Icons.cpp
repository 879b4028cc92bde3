#include "Icons.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>
#include <cmath>

namespace art {
namespace {

// A round glossy badge: radial body, darker rim and a light reflection over the upper half.
void badge(QPainter &p, const QRectF &box, const QColor &light, const QColor &dark) {
    p.save();
    QRadialGradient body(box.center() + QPointF(0, -box.height() * 0.2), box.width() * 0.6);
    body.setColorAt(0, light);
    body.setColorAt(1, dark);
    p.setPen(QPen(dark.darker(130), 1));
    p.setBrush(body);
    p.drawEllipse(box.adjusted(0.5, 0.5, -0.5, -0.5));
    QRectF shine(box.left() + box.width() * 0.16, box.top() + box.height() * 0.05, box.width() * 0.68,
                 box.height() * 0.46);
    QLinearGradient g(shine.topLeft(), shine.bottomLeft());
    g.setColorAt(0, QColor(255, 255, 255, 170));
    g.setColorAt(1, QColor(255, 255, 255, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(shine);
    p.restore();
}

// Head and shoulders of one person, standing on the bottom of box.
QPainterPath person(const QRectF &box) {
    QPainterPath path;
    const qreal w = box.width();
    const qreal head = w * 0.46;
    path.addEllipse(QRectF(box.center().x() - head / 2, box.top(), head, head));
    QPainterPath body;
    const QRectF torso(box.left(), box.top() + head * 1.08, w, (box.height() - head * 1.08) * 2);
    body.moveTo(torso.left(), box.bottom());
    body.arcTo(torso, 180, -180);
    body.closeSubpath();
    return path.united(body);
}

void fillPerson(QPainter &p, const QRectF &box, const QColor &light, const QColor &dark) {
    QLinearGradient g(box.topLeft(), box.bottomLeft());
    g.setColorAt(0, light);
    g.setColorAt(1, dark);
    p.setPen(QPen(dark.darker(140), 1));
    p.setBrush(g);
    p.drawPath(person(box));
}

} // namespace

void gearIcon(QPainter &p, const QRectF &box) {
    p.save();
    const QPointF c = box.center();
    const qreal r = box.width() / 2;
    QPainterPath gear;
    gear.addEllipse(c, r * 0.74, r * 0.74);
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-r * 0.17, -r, r * 0.34, r * 0.5), 2, 2);
        gear = gear.united(QTransform().translate(c.x(), c.y()).rotate(i * 45).map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(c, r * 0.3, r * 0.3);
    gear = gear.subtracted(hole);
    QLinearGradient g(box.topLeft(), box.bottomRight());
    g.setColorAt(0, QColor(150, 196, 240));
    g.setColorAt(0.5, QColor(62, 126, 202));
    g.setColorAt(1, QColor(28, 74, 142));
    p.setPen(QPen(QColor(22, 58, 112), 1));
    p.setBrush(g);
    p.drawPath(gear);
    // Inner ring gives the gear depth.
    p.setPen(QPen(QColor(255, 255, 255, 120), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r * 0.52, r * 0.52);
    p.restore();
}

void peopleIcon(QPainter &p, const QRectF &box) {
    p.save();
    const qreal w = box.width(), h = box.height();
    const QRectF back(0, 0, w * 0.42, h * 0.74);
    fillPerson(p, back.translated(box.left() + w * 0.02, box.top() + h * 0.1), QColor(160, 208, 244),
               QColor(72, 142, 204));
    fillPerson(p, back.translated(box.left() + w * 0.56, box.top() + h * 0.1), QColor(160, 208, 244),
               QColor(72, 142, 204));
    fillPerson(p, QRectF(box.left() + w * 0.24, box.top() + h * 0.2, w * 0.52, h * 0.8), QColor(255, 196, 110),
               QColor(226, 118, 28));
    p.restore();
}

void powerIcon(QPainter &p, const QRectF &box) {
    p.save();
    badge(p, box, QColor(250, 128, 104), QColor(188, 36, 28));
    const QPointF c = box.center();
    const qreal r = box.width() * 0.25;
    QPen pen(Qt::white, box.width() * 0.09, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    // The ring opens at the top, where the bar stands.
    const QRectF ring(c.x() - r, c.y() - r + r * 0.15, 2 * r, 2 * r);
    p.drawArc(ring, 60 * 16, -300 * 16);
    p.drawLine(QPointF(c.x(), c.y() - r * 1.2), QPointF(c.x(), c.y() - r * 0.1));
    p.restore();
}

void backArrowIcon(QPainter &p, const QRectF &box) {
    p.save();
    badge(p, box, QColor(132, 214, 120), QColor(36, 132, 48));
    const qreal w = box.width();
    const QPointF c = box.center();
    QPainterPath arrow;
    arrow.moveTo(c.x() - w * 0.3, c.y());
    arrow.lineTo(c.x() - w * 0.02, c.y() - w * 0.26);
    arrow.lineTo(c.x() - w * 0.02, c.y() - w * 0.11);
    arrow.lineTo(c.x() + w * 0.28, c.y() - w * 0.11);
    arrow.lineTo(c.x() + w * 0.28, c.y() + w * 0.11);
    arrow.lineTo(c.x() - w * 0.02, c.y() + w * 0.11);
    arrow.lineTo(c.x() - w * 0.02, c.y() + w * 0.26);
    arrow.closeSubpath();
    p.setPen(QPen(QColor(24, 96, 36), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(arrow);
    p.restore();
}

void magnifierIcon(QPainter &p, const QRectF &box, const QColor &ink) {
    p.save();
    const qreal w = box.width();
    const QRectF lens(box.left() + w * 0.06, box.top() + w * 0.06, w * 0.6, w * 0.6);
    p.setPen(QPen(ink, std::max(1.5, w * 0.12)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(lens);
    p.setPen(QPen(ink, std::max(2.5, w * 0.2), Qt::SolidLine, Qt::RoundCap));
    const QPointF from = lens.center() + QPointF(w * 0.3 * 0.75, w * 0.3 * 0.75);
    p.drawLine(from + QPointF(w * 0.03, w * 0.03), QPointF(box.right() - w * 0.1, box.bottom() - w * 0.1));
    p.restore();
}

void importIcon(QPainter &p, const QRectF &box) {
    p.save();
    const qreal w = box.width();
    // The tray.
    QPainterPath tray;
    tray.moveTo(box.left() + w * 0.06, box.top() + w * 0.56);
    tray.lineTo(box.left() + w * 0.06, box.bottom() - w * 0.06);
    tray.lineTo(box.right() - w * 0.06, box.bottom() - w * 0.06);
    tray.lineTo(box.right() - w * 0.06, box.top() + w * 0.56);
    p.setPen(QPen(QColor(255, 255, 255), std::max(1.5, w * 0.12), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tray);
    // The arrow pointing into it.
    const qreal cx = box.center().x();
    QPainterPath arrow;
    arrow.moveTo(cx - w * 0.11, box.top());
    arrow.lineTo(cx + w * 0.11, box.top());
    arrow.lineTo(cx + w * 0.11, box.top() + w * 0.36);
    arrow.lineTo(cx + w * 0.3, box.top() + w * 0.36);
    arrow.lineTo(cx, box.top() + w * 0.7);
    arrow.lineTo(cx - w * 0.3, box.top() + w * 0.36);
    arrow.lineTo(cx - w * 0.11, box.top() + w * 0.36);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 226, 120));
    p.drawPath(arrow);
    p.restore();
}

void productMark(QPainter &p, const QRectF &box) {
    p.save();
    const qreal w = box.width();
    QLinearGradient g(box.topLeft(), box.bottomRight());
    g.setColorAt(0, QColor(86, 160, 232));
    g.setColorAt(1, QColor(20, 76, 156));
    p.setPen(QPen(QColor(16, 60, 124), 1));
    p.setBrush(g);
    p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), w * 0.2, w * 0.2);
    // Three code lines behind the lens.
    p.setPen(QPen(QColor(255, 255, 255, 150), std::max(1.0, w * 0.06), Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const qreal y = box.top() + w * (0.28 + i * 0.16);
        p.drawLine(QPointF(box.left() + w * 0.16, y), QPointF(box.left() + w * (0.5 - i * 0.08), y));
    }
    magnifierIcon(p, QRectF(box.left() + w * 0.3, box.top() + w * 0.22, w * 0.58, w * 0.58), Qt::white);
    p.restore();
}

} // namespace art
