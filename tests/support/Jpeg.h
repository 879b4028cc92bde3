#pragma once
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <gtest/gtest.h>

// Real JPEG bytes of a picture, as a vendor site would serve them.
inline QByteArray jpegOf(const QImage &image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPG", 95));
    return bytes;
}
