// Draws every bitmap of the program's windows and writes them as 24-bit BMP files.
//   zendrik-artwork [--preview DIR] [OUTDIR]
// OUTDIR defaults to res/images of the source tree. The application icon goes beside it, into
// OUTDIR/../icons, as PNG files at the sizes of the desktop's icon theme. --preview also writes each picture as PNG
// and two mock-ups (the main window's header strip, the import window) with the pictures placed
// where the windows put them, for checking by eye, each also enlarged.
#include "Icons.h"
#include "Paint.h"
#include "Pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>

namespace {

QImage find(const QList<art::Picture> &all, const QString &name) {
    for (const art::Picture &pic : all)
        if (pic.name == name) return pic.image;
    return {};
}

// The header strip of an 838-wide main window; hot names the picture shown highlighted.
QImage mainMockup(const QList<art::Picture> &all, bool hot) {
    QImage img = find(all, "header").copy(0, 0, 838, 136);
    QPainter p(&img);
    const QString h = hot ? "_hot" : "";
    p.drawImage(art::at::update, find(all, "update" + h));
    p.drawImage(art::at::about, find(all, "about"));
    p.drawImage(art::at::exitButton, find(all, hot ? "back" : "exit"));
    p.drawImage(art::at::tab1, find(all, "tab1"));
    p.drawImage(art::at::tab2, find(all, "tab2" + h));
    p.drawImage(art::at::tab3, find(all, "tab3"));
    p.drawImage(art::at::query, find(all, "query" + h));
    p.drawImage(art::at::advert, find(all, "banner"));
    p.fillRect(QRect(art::at::codeEdit, QSize(121, 16)), Qt::white);
    p.fillRect(QRect(art::at::nameEdit, QSize(121, 16)), Qt::white);
    p.setFont(art::font(12));
    p.setPen(Qt::black);
    p.drawText(QPoint(384, 96 + 12), "商品编码");
    p.drawText(QPoint(576, 96 + 12), "品名");
    p.drawText(QPoint(444, 95 + 13), "8471");
    return img;
}

QImage importMockup(const QList<art::Picture> &all) {
    QImage img = find(all, "header").copy(0, 0, 518, 65);
    QPainter p(&img);
    p.setFont(art::font(11));
    p.setPen(Qt::black);
    p.drawText(QPoint(8, 8 + 11), "请导入下载的更新文件");
    p.fillRect(QRect(8, 24, 353, 21), Qt::white);
    p.drawImage(art::at::browse, find(all, "import_browse"));
    p.drawImage(art::at::importGo, find(all, "import_go"));
    return img;
}

// The product's mark on a transparent square, for the desktop's icon theme.
QImage appIcon(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    art::smooth(p);
    // A little margin, as icon themes expect, so the rounded square does not touch the edge.
    const qreal m = size / 16.0;
    art::productMark(p, QRectF(m, m, size - 2 * m, size - 2 * m));
    return img;
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    art::requireFonts();

    QString outDir = ARTWORK_DEFAULT_OUT, previewDir;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--preview" && i + 1 < args.size()) previewDir = args[++i];
        else if (args[i].startsWith('-')) {
            std::fprintf(stderr, "usage: zendrik-artwork [--preview DIR] [OUTDIR]\n");
            return 2;
        } else outDir = args[i];
    }

    const QList<art::Picture> all = art::allPictures();
    QDir().mkpath(outDir);
    for (const art::Picture &pic : all) {
        const QString path = QDir(outDir).filePath(pic.name + ".bmp");
        // An RGB32 image is written as a 24-bit BMP.
        if (!pic.image.save(path, "BMP")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s %dx%d\n", qPrintable(path), pic.image.width(), pic.image.height());
    }
    const QString iconDir = QDir(outDir).filePath("../icons");
    QDir().mkpath(iconDir);
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString path = QDir(iconDir).filePath(QStringLiteral("zendrik-%1.png").arg(size));
        if (!appIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(QDir::cleanPath(path)));
    }
    if (!previewDir.isEmpty()) {
        QDir().mkpath(previewDir);
        const QDir dir(previewDir);
        // Each also enlarged, pixel for pixel, so small pictures can be inspected.
        const auto save = [&](const QImage &img, const QString &name, int zoom) {
            img.save(dir.filePath(name + ".png"));
            img.scaled(img.size() * zoom).save(dir.filePath(name + "_x" + QString::number(zoom) + ".png"));
        };
        for (const art::Picture &pic : all) save(pic.image, pic.name, pic.image.width() < 100 ? 4 : 2);
        save(mainMockup(all, false), "mockup_main", 2);
        save(mainMockup(all, true), "mockup_main_hot", 2);
        save(importMockup(all), "mockup_import", 2);
    }
    return 0;
}
