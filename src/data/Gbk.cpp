#include "data/Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace Gbk {

QByteArray encode(const QString &text) {
    QStringEncoder enc("GBK");
    QByteArray out = enc.encode(text);
    return out;
}

QString decode(const QByteArray &bytes) {
    QStringDecoder dec("GBK");
    QString out = dec.decode(bytes);
    return out;
}

qsizetype byteLength(const QString &text) { return encode(text).size(); }

} // namespace Gbk
