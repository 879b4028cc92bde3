#include "export/Csv.h"

#include <QRegularExpression>

namespace Csv {

QString field(const QString &text, QChar separator) {
    if (!text.contains(separator) && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString q = text;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString codeAsText(const QString &code) {
    if (code.isEmpty()) return code;
    return QStringLiteral("=\"%1\"").arg(QString(code).replace(u'"', QStringLiteral("\"\"")));
}

QString guardFormula(const QString &text) {
    if (text.isEmpty()) return text;
    const QChar first = text.front();
    if (first != u'=' && first != u'+' && first != u'-' && first != u'@' && first != u'\t' && first != u'\r')
        return text;
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+(\\.[0-9]+)?$"));
    if (number.match(text).hasMatch()) return text;
    return u'\'' + text;
}

} // namespace Csv
