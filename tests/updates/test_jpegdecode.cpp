#include "data/AppError.h"
#include "updates/JpegDecode.h"

#include "support/Jpeg.h"
#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

namespace {

// Left half red, right half blue: colours that survive JPEG compression recognisably.
QImage twoColours(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w / 2; ++x) image.setPixel(x, y, qRgb(255, 0, 0));
    return image;
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 24 && std::abs(qGreen(a) - qGreen(b)) < 24 &&
           std::abs(qBlue(a) - qBlue(b)) < 24;
}

// Rewrites the frame header's height and width: what a hostile picture claims.
QByteArray withDimensions(QByteArray jpeg, quint16 width, quint16 height) {
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    EXPECT_GT(sof, 0);
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xFF);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xFF);
    return jpeg;
}

QString errorOf(const QByteArray &bytes) {
    try {
        JpegDecode::decode(bytes);
    } catch (const AppError &e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

} // namespace

TEST(JpegDecode, DecodesColourAndGreyPictures) {
    const QImage colour = JpegDecode::decode(jpegOf(twoColours(385, 65)));
    ASSERT_EQ(colour.size(), QSize(385, 65));
    EXPECT_TRUE(near(colour.pixel(10, 30), qRgb(255, 0, 0)));
    EXPECT_TRUE(near(colour.pixel(370, 30), qRgb(0, 0, 255)));

    QImage grey(40, 20, QImage::Format_Grayscale8);
    grey.fill(QColor(200, 200, 200));
    const QImage wide = JpegDecode::decode(jpegOf(grey));
    ASSERT_EQ(wide.size(), QSize(40, 20));
    EXPECT_TRUE(near(wide.pixel(5, 5), qRgb(200, 200, 200)));
}

TEST(JpegDecode, AnEmptyBodyIsAnEmptyPicture) { EXPECT_TRUE(JpegDecode::decode(QByteArray()).isNull()); }

TEST(JpegDecode, BadDataFailsWithAMessageInsteadOfEndingTheProgram) {
    const QByteArray good = jpegOf(twoColours(385, 65));
    struct Case {
        const char *what;
        QByteArray bytes;
        QString message;
    } cases[] = {
        {"html page", "<html><body>moved</body></html>",
         QStringLiteral("图片不是可读取的 JPEG 图像：Not a JPEG file: starts with 0x3c 0x68")},
        {"start marker only", QByteArray("\xFF\xD8", 2), QStringLiteral("Premature end of JPEG file")},
        {"cut in the header", good.left(100), QStringLiteral("Premature end of JPEG file")},
        {"cut in the picture data", good.left(good.size() / 2), QStringLiteral("Premature end of JPEG file")},
        {"absurd size", withDimensions(good, 60000, 60000), QStringLiteral("图片过大：60000 × 60000 像素。")},
        {"zero size", withDimensions(good, 0, 65), QStringLiteral("Empty JPEG image")},
    };
    for (const Case &c : cases) {
        const QString message = errorOf(c.bytes);
        EXPECT_TRUE(message.contains(c.message)) << c.what << ": " << message.toStdString();
    }
}
