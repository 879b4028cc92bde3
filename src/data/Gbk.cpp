#include "data/Gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace Gbk {

// Finding a converter by name costs more than converting a code: one per thread, reset before
// each use so that nothing of one text carries into the next.
QByteArray encode(const QString &text) {
    thread_local QStringEncoder enc("GBK");
    enc.resetState();
    return enc.encode(text);
}

QString decode(const QByteArray &bytes) {
    thread_local QStringDecoder dec("GBK");
    dec.resetState();
    return dec.decode(bytes);
}

qsizetype byteLength(const QString &text) { return encode(text).size(); }

} // namespace Gbk
