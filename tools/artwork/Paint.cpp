#include "Paint.h"

#include <QFontInfo>
#include <QLinearGradient>
#include <QPainterPath>
#include <cstdio>
#include <cstdlib>

namespace art {

QFont font(int pixelSize, bool bold, bool serif) {
    QFont f(serif ? "Noto Serif CJK SC" : "Noto Sans CJK SC");
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setHintingPreference(QFont::PreferVerticalHinting);
    return f;
}

void requireFonts() {
    for (bool serif : {false, true}) {
        const QFont f = font(12, false, serif);
        const QString got = QFontInfo(f).family();
        if (got != f.family()) {
            std::fprintf(stderr, "font \"%s\" not found (got \"%s\"); install fonts-noto-cjk\n", qPrintable(f.family()),
                         qPrintable(got));
            std::exit(1);
        }
    }
}

QImage blank(int w, int h, const QColor &fill) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

void smooth(QPainter &p) {
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
}

void engravedText(QPainter &p, const QRectF &rect, const QString &text, const QFont &f, const QColor &ink,
                  const QColor &shadow) {
    p.save();
    p.setFont(f);
    if (shadow.alpha() > 0) {
        p.setPen(shadow);
        p.drawText(rect.translated(0, 1), Qt::AlignCenter, text);
    }
    p.setPen(ink);
    p.drawText(rect, Qt::AlignCenter, text);
    p.restore();
}

void glossyRect(QPainter &p, const QRectF &r, qreal radius, const QColor &top, const QColor &bottom,
                const QColor &border) {
    p.save();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(border.alpha() ? QPen(border, 1) : Qt::NoPen);
    p.setBrush(g);
    // Half-pixel inset keeps a one-pixel border crisp.
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    p.restore();
}

} // namespace art
