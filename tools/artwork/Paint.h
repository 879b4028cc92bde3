#pragma once
// Drawing helpers shared by every picture: fonts, text with a soft shadow, glossy fills.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

namespace art {

// The CJK face every label uses; pixel sizes keep the pictures independent of screen DPI.
QFont font(int pixelSize, bool bold = false, bool serif = false);
// Stops the tool when fontconfig does not resolve the face: a fallback font would silently
// change every label.
void requireFonts();

QImage blank(int w, int h, const QColor &fill = Qt::white);
// A painter with every smoothing hint on.
void smooth(QPainter &p);

// Text centred in rect, with a one-pixel light shadow below so it reads as engraved on the header.
void engravedText(QPainter &p, const QRectF &rect, const QString &text, const QFont &f, const QColor &ink,
                  const QColor &shadow = QColor(255, 255, 255, 170));

// A rounded rectangle filled top-to-bottom from top to bottom colour, with a one-pixel border.
void glossyRect(QPainter &p, const QRectF &r, qreal radius, const QColor &top, const QColor &bottom,
                const QColor &border);

} // namespace art
