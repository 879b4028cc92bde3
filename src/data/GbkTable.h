#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QStringDecoder>
#include <QStringEncoder>
#include <vector>

// Conversions between UTF-8 and GBK for long runs of short texts (an update file's values),
// with the results of the GBK converter itself: GBK converts each character on its own, so each
// character is asked of the converter once and remembered. A text with anything the table does
// not settle (a character outside the basic plane, bytes that are not whole characters) goes to
// the converter whole.
class GbkTable {
public:
    // Appends the GBK form of UTF-8 text, as QStringEncoder("GBK") makes it of
    // QString::fromUtf8(utf8), less the bytes for which skip(byte) is true.
    template <typename Skip> void appendGbk(QByteArray &out, QByteArrayView utf8, Skip skip);
    QByteArray fromUtf8(QByteArrayView utf8) {
        QByteArray out;
        appendGbk(out, utf8, [](char) { return false; });
        return out;
    }
    // The UTF-8 form of GBK bytes, as a fresh QStringDecoder("GBK") decodes them.
    QByteArray toUtf8(QByteArrayView gbk);

private:
    // Entries: 0 not asked yet, kSlow for the converter's own path, else the converted form.
    static constexpr quint32 kSlow = 0xFFFFFFFF;
    // The GBK bytes of one UTF-16 code unit: its length in bits 16-17, bytes in bits 0-15.
    quint32 gbkOf(char16_t unit);
    // The UTF-16 code unit of one GBK character (one byte, or a lead byte and a trail byte).
    quint32 unitOf(uchar lead, uchar trail, bool pair);
    QByteArray fromUtf8Slow(QByteArrayView utf8);

    std::vector<quint32> gbk_; // by UTF-16 code unit
    std::vector<quint32> unit_; // by lead byte * 256 + trail byte; single bytes at 0-255
    QStringEncoder encoder_{"GBK", QStringConverter::Flag::Stateless};
    QStringDecoder decoder_{"GBK"};
};

template <typename Skip> void GbkTable::appendGbk(QByteArray &out, QByteArrayView utf8, Skip skip) {
    const qsizetype start = out.size();
    const auto slow = [&] {
        out.truncate(start);
        out += fromUtf8Slow(utf8).removeIf(skip);
    };
    // GBK never takes more bytes than UTF-8 for the same character.
    out.resize(start + utf8.size());
    char *to = out.data() + start;
    const auto *p = reinterpret_cast<const uchar *>(utf8.data());
    const auto *end = p + utf8.size();
    const auto put = [&](quint32 gbk) {
        const int n = int(gbk >> 16);
        const char first = char(n == 2 ? gbk >> 8 : gbk), second = char(gbk);
        if (!skip(first)) *to++ = first;
        if (n == 2 && !skip(second)) *to++ = second;
    };
    while (p < end) {
        const uchar c = *p;
        char16_t unit;
        if (c < 0x80) {
            unit = c;
            p += 1;
        } else if (c >= 0xC2 && c <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
            unit = char16_t((c & 0x1F) << 6 | (p[1] & 0x3F));
            p += 2;
        } else if ((c & 0xF0) == 0xE0 && end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
            unit = char16_t((c & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
            p += 3;
            // Overlong forms and surrogates are not characters.
            if (unit < 0x800 || (unit >= 0xD800 && unit <= 0xDFFF)) return slow();
        } else {
            return slow();
        }
        const quint32 gbk = gbkOf(unit);
        if (gbk == kSlow) return slow();
        put(gbk);
    }
    out.truncate(to - out.data());
}
