#include "data/CodeCodec.h"

#include "data/AppError.h"
#include "data/Gbk.h"

namespace {
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
} // namespace

QByteArray ScrambleCode(const QByteArray &plain) {
    static const char digits[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(plain.size() * 2);
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const unsigned char v = static_cast<unsigned char>(plain[i]) ^ CodeKey[i % 8];
        out.append(digits[v >> 4]);
        out.append(digits[v & 0x0F]);
    }
    return out;
}

QByteArray UnscrambleCode(const QByteArray &scrambled) {
    const qsizetype n = scrambled.size() / 2;
    QByteArray out;
    out.reserve(n);
    for (qsizetype k = 0; k < n; ++k) {
        const int hi = hexValue(scrambled[2 * k]);
        const int lo = hexValue(scrambled[2 * k + 1]);
        if (hi < 0 || lo < 0) {
            const QString pair = Gbk::decode(scrambled.mid(2 * k, 2));
            throw AppError(QStringLiteral("'$%1' is not a valid integer value").arg(pair));
        }
        out.append(static_cast<char>(((hi << 4) | lo) ^ CodeKey[k % 8]));
    }
    return out;
}

QString ScrambleCode(const QString &plain) { return QString::fromLatin1(ScrambleCode(Gbk::encode(plain))); }

QString UnscrambleCode(const QString &scrambled) { return Gbk::decode(UnscrambleCode(Gbk::encode(scrambled))); }
