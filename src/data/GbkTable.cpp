#include "data/GbkTable.h"

#include <QString>

quint32 GbkTable::gbkOf(char16_t unit) {
    if (gbk_.empty()) gbk_.resize(0x10000);
    quint32 &entry = gbk_[unit];
    if (entry == 0) {
        const QByteArray bytes = encoder_.encode(QStringView(&unit, 1));
        if (bytes.size() == 1) entry = 1u << 16 | uchar(bytes[0]);
        else if (bytes.size() == 2) entry = 2u << 16 | uchar(bytes[0]) << 8 | uchar(bytes[1]);
        else entry = kSlow;
    }
    return entry;
}

quint32 GbkTable::unitOf(uchar lead, uchar trail, bool pair) {
    if (unit_.empty()) unit_.resize(0x10000);
    quint32 &entry = unit_[pair ? lead << 8 | trail : lead];
    if (entry == 0) {
        const char bytes[] = {char(lead), char(trail)};
        decoder_.resetState();
        const QString text = decoder_.decode(QByteArrayView(bytes, pair ? 2 : 1));
        // One whole character, or the converter's own path (a replacement, a byte left over).
        const bool one = text.size() == 1 && !text[0].isSurrogate() && text[0] != QChar::ReplacementCharacter;
        entry = one ? 1u << 16 | text[0].unicode() : kSlow;
    }
    return entry;
}

QByteArray GbkTable::fromUtf8Slow(QByteArrayView utf8) { return encoder_.encode(QString::fromUtf8(utf8)); }

QByteArray GbkTable::toUtf8(QByteArrayView gbk) {
    // A character of one GBK byte may take three of UTF-8 (0x80, the euro sign).
    QByteArray out(gbk.size() * 3, Qt::Uninitialized);
    char *to = out.data();
    const auto *p = reinterpret_cast<const uchar *>(gbk.data());
    const auto *end = p + gbk.size();
    while (p < end) {
        const bool pair = *p >= 0x81 && *p <= 0xFE;
        if (pair && end - p < 2) break;
        const quint32 entry = unitOf(p[0], pair ? p[1] : 0, pair);
        if (entry == kSlow) break;
        p += pair ? 2 : 1;
        const char16_t unit = char16_t(entry);
        if (unit < 0x80) {
            *to++ = char(unit);
        } else if (unit < 0x800) {
            *to++ = char(0xC0 | unit >> 6);
            *to++ = char(0x80 | (unit & 0x3F));
        } else {
            *to++ = char(0xE0 | unit >> 12);
            *to++ = char(0x80 | (unit >> 6 & 0x3F));
            *to++ = char(0x80 | (unit & 0x3F));
        }
    }
    if (p < end) {
        decoder_.resetState();
        return QString(decoder_.decode(gbk)).toUtf8();
    }
    out.truncate(to - out.data());
    return out;
}
