// Draws the eight light-blue frame pictures of the main window as 24-bit BMP files.
// Usage: frameart <output folder>   (run with QT_QPA_PLATFORM=offscreen)
//
// The frame is a title bar with a soft vertical gradient, a one-pixel outline around the window
// and thin edges in one body colour. Every picture is uniform along the direction the frame
// stretches or tiles it, so pieces meet without seams at any window size. The three caption
// buttons come as three 26 x 30 cells side by side (normal, pressed, hover) whose background is
// the title gradient at the rows they cover (window rows 1 to 30).
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <cstdio>
#include <functional>

namespace {

const QColor kOutline(60, 110, 175);
const QColor kBody(118, 166, 224); // edges; also the title gradient's last row

// Title gradient at window row r (1..30): pale at the top, body colour at the bottom.
QColor title(int r) {
    auto mix = [](QColor a, QColor b, double t) {
        return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                                a.blueF() + (b.blueF() - a.blueF()) * t);
    };
    if (r <= 14) return mix(QColor(238, 246, 254), QColor(207, 227, 249), (r - 1) / 13.0);
    return mix(QColor(194, 219, 246), kBody, (r - 15) / 15.0);
}

QImage blank(int w, int h, QColor fill) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

// Row 0 outline, rows 1-30 the title gradient, the rest body colour; the title strip's pattern.
void titleRows(QImage &img) {
    for (int y = 0; y < img.height(); ++y) {
        const QColor c = y == 0 ? kOutline : y <= 30 ? title(y) : kBody;
        for (int x = 0; x < img.width(); ++x) img.setPixelColor(x, y, c);
    }
}

QImage leftEdge() {
    QImage img = blank(4, 600, kBody);
    titleRows(img);
    for (int y = 0; y < img.height(); ++y) img.setPixelColor(0, y, kOutline);
    return img;
}

// Columns 0-3 are used: the top piece lands one column left of the rest (beside it the window's
// own outline shows), so only rows from 31 on carry the outline in column 3; row 68 lands on the
// window's bottom row.
QImage rightEdge() {
    QImage img = blank(6, 600, kBody);
    titleRows(img);
    for (int y = 31; y < img.height(); ++y) img.setPixelColor(3, y, kOutline);
    for (int x = 0; x < img.width(); ++x) img.setPixelColor(x, 68, kOutline);
    return img;
}

QImage titleStrip() {
    QImage img = blank(1300, 40, kBody);
    titleRows(img);
    return img;
}

// A soft glass glow behind the caption, without a hard outline because the text starts left of
// the plate: the left cap (columns 0-5) fades it in, the middle (6-15, uniform across) is
// stretched, and the right cap (18-28) fades it out before an etched divider that closes the
// caption area.
QImage captionPlate() {
    QImage img = titleStrip().copy(0, 0, 225, 40);
    auto across = [](int x) {
        if (x <= 5) return (x + 1) / 7.0;
        if (x <= 18) return 1.0;
        return x <= 25 ? (25 - x) / 7.0 : 0.0;
    };
    auto down = [](int y) { return y < 3 || y > 27 ? 0.0 : 0.65 - 0.5 * (y - 3) / 24.0; };
    for (int y = 0; y < 31; ++y)
        for (int x = 0; x < 29; ++x) {
            const double a = across(x) * down(y);
            const QColor c = img.pixelColor(x, y);
            img.setPixelColor(x, y,
                              QColor::fromRgbF(c.redF() + (1 - c.redF()) * a, c.greenF() + (1 - c.greenF()) * a,
                                               c.blueF() + (1 - c.blueF()) * a));
        }
    for (int y = 7; y <= 24; ++y) {
        img.setPixelColor(26, y, img.pixelColor(26, y).darker(118));
        img.setPixelColor(27, y, img.pixelColor(27, y).lighter(112));
    }
    return img;
}

QImage bottomEdge() { return blank(1300, 23, kBody); }

struct Look {
    QColor top, bottom, border, glyph;
};

// Three cells: normal, pressed, hover. `glyph` draws the symbol centred on the given point.
QImage buttonCells(const Look (&looks)[3], const std::function<void(QPainter &, QPointF)> &glyph) {
    QImage img(78, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 78; ++x) img.setPixelColor(x, y, title(y + 1));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 3; ++i) {
        const QRectF box(i * 26 + 1.5, 2.5, 23, 18);
        QLinearGradient g(box.topLeft(), box.bottomLeft());
        g.setColorAt(0, looks[i].top);
        g.setColorAt(1, looks[i].bottom);
        p.setPen(QPen(looks[i].border, 1));
        p.setBrush(g);
        p.drawRoundedRect(box, 3, 3);
        p.setPen(QPen(looks[i].glyph, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        const QPointF shift = i == 1 ? QPointF(1, 1) : QPointF(0, 0); // pressed sinks in
        glyph(p, box.center() + shift);
    }
    return img;
}

const Look kBlueLooks[3] = {
    {QColor(248, 251, 255), QColor(204, 225, 249), QColor(96, 140, 200), QColor(40, 80, 140)},
    {QColor(128, 172, 226), QColor(160, 198, 238), QColor(50, 95, 160), QColor(20, 50, 100)},
    {QColor(255, 255, 255), QColor(224, 240, 255), QColor(50, 125, 215), QColor(0, 90, 200)},
};

QImage minButton() {
    return buttonCells(kBlueLooks, [](QPainter &p, QPointF c) {
        p.drawLine(QPointF(c.x() - 4, c.y() + 4), QPointF(c.x() + 3, c.y() + 4));
    });
}

QImage maxButton() {
    return buttonCells(kBlueLooks, [](QPainter &p, QPointF c) {
        p.setPen(QPen(p.pen().color(), 1));
        p.drawRect(QRectF(c.x() - 4.5, c.y() - 4.5, 9, 8));
        p.drawLine(QPointF(c.x() - 4.5, c.y() - 3.5), QPointF(c.x() + 4.5, c.y() - 3.5));
    });
}

QImage closeButton() {
    const Look looks[3] = {
        kBlueLooks[0],
        {QColor(170, 40, 30), QColor(200, 60, 45), QColor(120, 25, 15), QColor(255, 255, 255)},
        {QColor(240, 110, 95), QColor(205, 45, 35), QColor(150, 30, 20), QColor(255, 255, 255)},
    };
    return buttonCells(looks, [](QPainter &p, QPointF c) {
        p.drawLine(QPointF(c.x() - 3.5, c.y() - 3.5), QPointF(c.x() + 3.5, c.y() + 3.5));
        p.drawLine(QPointF(c.x() + 3.5, c.y() - 3.5), QPointF(c.x() - 3.5, c.y() + 3.5));
    });
}

} // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: frameart <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const struct {
        const char *name;
        QImage image;
    } pictures[] = {
        {"left", leftEdge()},     {"title", titleStrip()}, {"plate", captionPlate()}, {"right", rightEdge()},
        {"bottom", bottomEdge()}, {"min", minButton()},    {"max", maxButton()},      {"close", closeButton()},
    };
    for (const auto &pic : pictures) {
        const QString path = out.filePath(QLatin1String(pic.name) + QLatin1String(".bmp"));
        if (!pic.image.convertToFormat(QImage::Format_RGB888).save(path, "BMP")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
