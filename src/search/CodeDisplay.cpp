#include "search/CodeDisplay.h"

#include "data/CodeCodec.h"
#include "data/Gbk.h"

#include <QRegularExpression>

namespace CodeDisplay {

QString plainCode(const QVariant &stored) {
    // A scrambled code is hex digits only, so nothing is lost on the way to 8-bit text.
    return Gbk::decode(UnscrambleCode(Gbk::encode(stored.toString())));
}

QString caseCode(const QString &plain) {
    const QByteArray t = Gbk::encode(plain);
    if (t.size() <= 8) return plain;
    const QByteArray digits = t.mid(8, 2);
    static const QRegularExpression decimal(QStringLiteral("^[+-]?[0-9]+$"));
    if (!decimal.match(QString::fromLatin1(digits)).hasMatch()) return plain;
    const QString head = Gbk::decode(t.left(8));
    if (digits.toInt() <= 0) return head;
    return head + u'.' + Gbk::decode(digits);
}

} // namespace CodeDisplay
