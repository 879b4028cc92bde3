#include "updates/JpegDecode.h"

#include "data/AppError.h"

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <jerror.h>
#include <jpeglib.h>

namespace JpegDecode {

namespace {

// libjpeg's default error manager ends the process on a fatal error. Ours formats the message
// and jumps back to the decoder, which cleans up and reports it.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void errorExit(j_common_ptr cinfo) {
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings are not printed. Running out of data is fatal: libjpeg would pad a truncated picture
// with grey and call it done.
void emitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) errorExit(cinfo);
    ++cinfo->err->num_warnings;
}

enum class Outcome { Done, Failed, TooLarge, NoMemory };

// longjmp lands in this frame, so nothing here may need a destructor: the image lives in the
// caller and libjpeg's buffers in its own pools.
Outcome run(jpeg_decompress_struct *cinfo, ErrorManager *err, const QByteArray *bytes, QImage *out) {
    if (setjmp(err->jump)) {
        jpeg_destroy_decompress(cinfo);
        return Outcome::Failed;
    }
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char *>(bytes->constData()),
                 static_cast<unsigned long>(bytes->size()));
    jpeg_read_header(cinfo, TRUE);
    if (qint64(cinfo->image_width) * qint64(cinfo->image_height) > kMaxPixels) {
        jpeg_destroy_decompress(cinfo);
        return Outcome::TooLarge;
    }
    // Grey pictures are widened to RGB; CMYK ones fail with libjpeg's conversion message.
    cinfo->out_color_space = JCS_RGB;
    jpeg_start_decompress(cinfo);
    *out = QImage(int(cinfo->output_width), int(cinfo->output_height), QImage::Format_RGB888);
    if (out->isNull()) {
        jpeg_destroy_decompress(cinfo);
        return Outcome::NoMemory;
    }
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = out->scanLine(int(cinfo->output_scanline));
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    jpeg_destroy_decompress(cinfo);
    return Outcome::Done;
}

} // namespace

QImage decode(const QByteArray &bytes) {
    if (bytes.isEmpty()) return {};
    jpeg_decompress_struct cinfo{};
    ErrorManager err{};
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = errorExit;
    err.pub.emit_message = emitMessage;
    QImage image;
    switch (run(&cinfo, &err, &bytes, &image)) {
    case Outcome::Done:
        return image;
    case Outcome::Failed:
        throw AppError(QStringLiteral("图片不是可读取的 JPEG 图像：%1").arg(QString::fromLocal8Bit(err.message)));
    case Outcome::TooLarge:
        throw AppError(QStringLiteral("图片过大：%1 × %2 像素。").arg(cinfo.image_width).arg(cinfo.image_height));
    case Outcome::NoMemory:
        break;
    }
    throw AppError(
        QStringLiteral("内存不足，无法处理 %1 × %2 像素的图片。").arg(cinfo.output_width).arg(cinfo.output_height));
}

} // namespace JpegDecode
