#include "Pictures.h"

#include "Icons.h"
#include "Paint.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <functional>

namespace art {
namespace {

using IconFn = std::function<void(QPainter &, const QRectF &)>;

const QColor navy(22, 54, 104);

QRect fieldFrame(QPoint edit) { return QRect(edit - QPoint(2, 2), QSize(125, 20)); }

void headerDecoration(QPainter &p) {
    // Soft arcs on the far right: only a maximised window shows them.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 4; ++i) {
        p.setPen(QPen(QColor(255, 255, 255, 70 - i * 12), 14 - i * 2));
        p.drawEllipse(QPointF(1290, 240), 260.0 + i * 55, 170.0 + i * 30);
    }
    QRadialGradient glow(QPointF(1180, 30), 220);
    glow.setColorAt(0, QColor(255, 255, 255, 110));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRect(900, 0, 466, 138);
}

void searchStrip(QPainter &p) {
    // A slightly darker band behind the search fields, engraved with a light top edge.
    const QRectF band(374, 84, 442, 36);
    glossyRect(p, band, 6, QColor(176, 209, 243), QColor(160, 197, 237), QColor(132, 172, 218));
    p.setPen(QPen(QColor(255, 255, 255, 150), 1));
    p.drawLine(QPointF(380, 85.5), QPointF(810, 85.5));
    // White fields two pixels larger than the borderless edit boxes.
    for (QPoint edit : {at::codeEdit, at::nameEdit}) {
        const QRectF f = fieldFrame(edit);
        glossyRect(p, f, 3, Qt::white, Qt::white, QColor(112, 152, 204));
    }
}

void headerMark(QPainter &p) {
    // Between the tool bar and the search strip, below the corner the import window shows.
    engravedText(p, QRectF(274, 72, 96, 28), "Zendrik查", font(19, true), navy);
    engravedText(p, QRectF(274, 100, 96, 16), "商品编码查询工具", font(11), QColor(48, 86, 140));
}

QImage toolButton(const QImage &hdr, QPoint at, int width, bool hot, const IconFn &icon, const QString &label) {
    QImage img = hdr.copy(QRect(at, QSize(width, 82)));
    QPainter p(&img);
    smooth(p);
    // Icon and label centre on x 39 in every width, so nothing shifts when the pictures swap.
    const qreal cx = 39;
    if (hot) {
        const QRectF glow(cx - 36, 2, 72, 76);
        glossyRect(p, glow, 7, QColor(255, 255, 255, 235), QColor(214, 236, 255, 200), QColor(92, 148, 214));
        p.setPen(QPen(QColor(255, 255, 255, 200), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(glow.adjusted(1.5, 1.5, -1.5, -1.5), 6, 6);
    }
    icon(p, QRectF(cx - 22, 8, 44, 44));
    engravedText(p, QRectF(cx - 36, 56, 72, 18), label, font(13, hot), hot ? QColor(10, 50, 120) : navy);
    return img;
}

QImage tab(const QImage &hdr, QPoint at, bool hot, const QString &label) {
    QImage img = hdr.copy(QRect(at, QSize(86, 25)));
    QPainter p(&img);
    smooth(p);
    // Rounded top corners; the bottom runs on past the picture so it meets the panel below.
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0.5, 1.5, 85, 30), 6, 6);
    QLinearGradient g(0, 1, 0, 25);
    g.setColorAt(0, hot ? QColor(255, 255, 255) : QColor(242, 248, 255));
    g.setColorAt(1, hot ? QColor(226, 241, 255) : QColor(198, 222, 247));
    p.setPen(QPen(hot ? QColor(60, 116, 192) : QColor(118, 158, 208), 1));
    p.setBrush(g);
    p.drawPath(shape);
    if (hot) {
        // An amber cap marks the tab under the pointer.
        p.setPen(QPen(QColor(255, 168, 48), 2));
        p.drawLine(QPointF(6, 2.5), QPointF(80, 2.5));
    }
    engravedText(p, QRectF(0, 3, 86, 22), label, font(13, hot), hot ? QColor(12, 56, 136) : navy);
    return img;
}

// A blue push button with a white icon and label, used for the search and the import.
QImage blueButton(const QImage &hdr, QPoint at, QSize size, bool hot, const IconFn &icon, const QString &label) {
    QImage img = hdr.copy(QRect(at, size));
    QPainter p(&img);
    smooth(p);
    const QRectF r(0, 0, size.width(), size.height());
    if (hot) glossyRect(p, r, 4, QColor(128, 190, 248), QColor(52, 124, 210), QColor(30, 84, 160));
    else glossyRect(p, r, 4, QColor(92, 156, 226), QColor(36, 96, 180), QColor(26, 72, 144));
    p.setPen(QPen(QColor(255, 255, 255, hot ? 170 : 90), 1));
    p.drawLine(QPointF(4, 1.5), QPointF(size.width() - 4, 1.5));
    const qreal s = size.height() - 8;
    icon(p, QRectF(7, 4, s, s));
    engravedText(p, QRectF(7 + s, 0, size.width() - 10 - s, size.height()), label, font(13, true), Qt::white,
                 QColor(10, 40, 90, 140));
    return img;
}

QImage browseButton(const QImage &hdr, bool hot) {
    QImage img = hdr.copy(QRect(at::browse, QSize(29, 24)));
    QPainter p(&img);
    smooth(p);
    glossyRect(p, QRectF(0, 0, 29, 24), 4, Qt::white, hot ? QColor(222, 238, 255) : QColor(208, 226, 247),
               hot ? QColor(52, 112, 196) : QColor(112, 152, 204));
    p.setPen(Qt::NoPen);
    p.setBrush(hot ? QColor(20, 80, 170) : navy);
    for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(8.5 + i * 6, 14.5), 1.8, 1.8);
    return img;
}

QImage aboutPicture() {
    QImage img = blank(400, 217);
    QPainter p(&img);
    smooth(p);
    QLinearGradient bg(0, 0, 0, 217);
    bg.setColorAt(0, QColor(250, 252, 255));
    bg.setColorAt(1, QColor(228, 240, 252));
    p.fillRect(img.rect(), bg);
    // The title band in the header's sky blue.
    QLinearGradient band(0, 0, 0, 92);
    band.setColorAt(0, QColor(236, 246, 255));
    band.setColorAt(1, QColor(186, 217, 246));
    p.fillRect(QRect(0, 0, 400, 92), band);
    p.setPen(QPen(QColor(120, 162, 214), 1));
    p.drawLine(QPointF(0, 92.5), QPointF(400, 92.5));
    productMark(p, QRectF(24, 18, 56, 56));
    p.setFont(font(30, true));
    p.setPen(navy);
    p.drawText(QRectF(96, 10, 290, 42), Qt::AlignLeft | Qt::AlignVCenter, "Zendrik查");
    p.setFont(font(16));
    p.setPen(QColor(40, 80, 136));
    p.drawText(QRectF(98, 50, 290, 26), Qt::AlignLeft | Qt::AlignVCenter, "商品编码查询工具");

    p.setFont(font(14, true));
    p.setPen(QColor(30, 30, 30));
    p.drawText(QRectF(24, 104, 352, 22), Qt::AlignLeft | Qt::AlignVCenter, "版本 1.0");
    p.setFont(font(12));
    p.setPen(QColor(70, 80, 96));
    p.drawText(QRectF(24, 128, 352, 20), Qt::AlignLeft | Qt::AlignVCenter,
               "商品编码 · 归类裁定 · 历史申报案例，一次查询全部呈现");

    p.setPen(QPen(QColor(190, 208, 230), 1));
    p.drawLine(QPointF(24, 160.5), QPointF(376, 160.5));
    // The maker's mark: a small diamond and the maker's name.
    QPainterPath diamond;
    diamond.moveTo(36, 170);
    diamond.lineTo(48, 182);
    diamond.lineTo(36, 194);
    diamond.lineTo(24, 182);
    diamond.closeSubpath();
    QLinearGradient dg(24, 170, 48, 194);
    dg.setColorAt(0, QColor(255, 186, 84));
    dg.setColorAt(1, QColor(222, 104, 24));
    p.setPen(Qt::NoPen);
    p.setBrush(dg);
    p.drawPath(diamond);
    p.setFont(font(13, true, true));
    p.setPen(QColor(40, 40, 40));
    p.drawText(QRectF(56, 170, 150, 24), Qt::AlignLeft | Qt::AlignVCenter, "Zendrik 软件");
    p.setFont(font(11));
    p.setPen(QColor(110, 118, 130));
    p.drawText(QRectF(180, 170, 196, 24), Qt::AlignRight | Qt::AlignVCenter, "版权所有 © Zendrik 软件");
    return img;
}

QImage banner() {
    QImage img = blank(385, 65);
    QPainter p(&img);
    smooth(p);
    QLinearGradient bg(0, 0, 385, 65);
    bg.setColorAt(0, QColor(24, 88, 168));
    bg.setColorAt(1, QColor(58, 150, 222));
    p.fillRect(img.rect(), bg);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 28));
    p.drawEllipse(QPointF(360, 10), 70, 70);
    p.drawEllipse(QPointF(300, 80), 40, 40);
    productMark(p, QRectF(10, 10, 45, 45));
    p.setFont(font(22, true));
    p.setPen(Qt::white);
    p.drawText(QRectF(66, 4, 300, 30), Qt::AlignLeft | Qt::AlignVCenter, "Zendrik查");
    p.setFont(font(14));
    p.setPen(QColor(255, 236, 170));
    p.drawText(QRectF(66, 34, 315, 24), Qt::AlignLeft | Qt::AlignVCenter, "商品归类 · 税率 · 监管条件   一查即得");
    return img;
}

} // namespace

QImage header() {
    QImage img = blank(1366, 138);
    QPainter p(&img);
    smooth(p);
    QLinearGradient g(0, 0, 0, 138);
    g.setColorAt(0, QColor(240, 248, 255));
    g.setColorAt(0.5, QColor(214, 234, 252));
    g.setColorAt(1, QColor(182, 213, 244));
    p.fillRect(img.rect(), g);
    headerDecoration(p);
    searchStrip(p);
    headerMark(p);
    // A baseline where the header meets the result panel.
    p.setPen(QPen(QColor(118, 160, 210), 1));
    p.drawLine(QPointF(0, 135.5), QPointF(1366, 135.5));
    return img;
}

QList<Picture> allPictures() {
    const QImage hdr = header();
    QList<Picture> out{{"header", hdr}};
    struct Tool {
        const char *name;
        QPoint at;
        int width, hotWidth;
        IconFn icon;
        const char *label;
    };
    const Tool tools[] = {
        {"update", at::update, 78, 80, gearIcon, "数据更新"},
        {"about", at::about, 79, 79, peopleIcon, "关于我们"},
        {"exit", at::exitButton, 79, 79, powerIcon, "退出"},
        {"back", at::exitButton, 78, 78, backArrowIcon, "返回"},
    };
    for (const Tool &t : tools) {
        out.append({t.name, toolButton(hdr, t.at, t.width, false, t.icon, t.label)});
        out.append({QString(t.name) + "_hot", toolButton(hdr, t.at, t.hotWidth, true, t.icon, t.label)});
    }
    const struct {
        const char *name;
        QPoint at;
        const char *label;
    } tabs[] = {{"tab1", at::tab1, "通关要素"}, {"tab2", at::tab2, "总署数据"}, {"tab3", at::tab3, "历史申报"}};
    for (const auto &t : tabs) {
        out.append({t.name, tab(hdr, t.at, false, t.label)});
        out.append({QString(t.name) + "_hot", tab(hdr, t.at, true, t.label)});
    }
    const IconFn lens = [](QPainter &p, const QRectF &r) { magnifierIcon(p, r, Qt::white); };
    for (bool hot : {false, true}) {
        const QString suffix = hot ? "_hot" : "";
        out.append({"query" + suffix, blueButton(hdr, at::query, QSize(64, 23), hot, lens, "查询")});
        out.append({"import_browse" + suffix, browseButton(hdr, hot)});
        out.append({"import_go" + suffix, blueButton(hdr, at::importGo, QSize(64, 24), hot, importIcon, "导入")});
    }
    out.append({"about_picture", aboutPicture()});
    out.append({"banner", banner()});
    return out;
}

} // namespace art
