// The window bitmaps: every resource listed in res/images.qrc loads, is a 24-bit BMP and has the
// size the windows are laid out for; the fallback banner lies beside the executable.
#include "chrome/Resources.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QRegularExpression>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

const QMap<QString, QSize> expectedSizes{
    {"header.bmp", {1366, 138}},     {"update.bmp", {78, 82}},
    {"update_hot.bmp", {80, 82}},    {"about.bmp", {79, 82}},
    {"about_hot.bmp", {79, 82}},     {"exit.bmp", {79, 82}},
    {"exit_hot.bmp", {79, 82}},      {"back.bmp", {78, 82}},
    {"back_hot.bmp", {78, 82}},      {"tab1.bmp", {86, 25}},
    {"tab1_hot.bmp", {86, 25}},      {"tab2.bmp", {86, 25}},
    {"tab2_hot.bmp", {86, 25}},      {"tab3.bmp", {86, 25}},
    {"tab3_hot.bmp", {86, 25}},      {"query.bmp", {64, 23}},
    {"query_hot.bmp", {64, 23}},     {"about_picture.bmp", {400, 217}},
    {"import_browse.bmp", {29, 24}}, {"import_browse_hot.bmp", {29, 24}},
    {"import_go.bmp", {64, 24}},     {"import_go_hot.bmp", {64, 24}},
};

// The aliases listed in the resource file of the source tree.
QStringList listedInQrc() {
    QFile qrc(qEnvironmentVariable("ZENDRIK_SOURCE_DIR") + "/res/images.qrc");
    EXPECT_TRUE(qrc.open(QIODevice::ReadOnly)) << qrc.fileName().toStdString();
    QStringList names;
    const QRegularExpression alias(R"re(<file alias="([^"]+)")re");
    for (auto m = alias.globalMatch(QString::fromUtf8(qrc.readAll())); m.hasNext();) names << m.next().captured(1);
    return names;
}

// Bits per pixel from the BMP header.
int bmpBitCount(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray head = f.read(30);
    if (head.size() < 30 || !head.startsWith("BM")) return -1;
    return qFromLittleEndian<quint16>(head.constData() + 28);
}

void expectPicture(const QString &path, QSize size) {
    SCOPED_TRACE(path.toStdString());
    const QImage img(path);
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.width(), size.width());
    EXPECT_EQ(img.height(), size.height());
    EXPECT_EQ(bmpBitCount(path), 24);
}

} // namespace

TEST(Images, EveryListedResourceLoadsWithItsSize) {
    loadChromeResources();
    const QStringList listed = listedInQrc();
    EXPECT_EQ(listed.size(), expectedSizes.size());
    for (const QString &name : expectedSizes.keys())
        EXPECT_TRUE(listed.contains(name)) << "not in images.qrc: " << name.toStdString();
    for (const QString &name : listed) {
        ASSERT_TRUE(expectedSizes.contains(name)) << "no size known for " << name.toStdString();
        expectPicture(":/images/" + name, expectedSizes[name]);
    }
}

TEST(Images, FallbackBannerLiesBesideTheExecutable) {
    expectPicture(QCoreApplication::applicationDirPath() + "/images/banner.bmp", {385, 65});
}
