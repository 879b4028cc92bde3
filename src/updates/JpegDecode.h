#pragma once
#include <QByteArray>
#include <QImage>

// Decodes a JPEG image held in memory, from the first byte, with libjpeg. Data that is not a
// JPEG image, a truncated or corrupt one, or one whose header claims more than kMaxPixels
// pixels throws AppError; libjpeg's own fatal-error path (which would end the process) is never
// taken. An empty byte array is an empty picture: a null QImage.
namespace JpegDecode {

inline constexpr qint64 kMaxPixels = 25'000'000;

QImage decode(const QByteArray &bytes);

} // namespace JpegDecode
