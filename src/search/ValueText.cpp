#include "search/ValueText.h"

#include <QDateTime>
#include <QLocale>

namespace ValueText {

namespace {
// A stored date-time shows in the short date format, with the time only when it is not midnight.
QString formatDateTime(const QString &stored) {
    QDateTime dt = QDateTime::fromString(stored, Qt::ISODate);
    if (!dt.isValid()) dt = QDateTime::fromString(stored, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(stored, Qt::ISODate);
        if (!d.isValid()) return stored;
        dt = d.startOfDay();
    }
    const QLocale locale;
    QString out = locale.toString(dt.date(), QLocale::ShortFormat);
    if (dt.time() != QTime(0, 0)) out += u' ' + locale.toString(dt.time(), QLocale::LongFormat);
    return out;
}
} // namespace

QString formatGeneral(double value) { return QString::number(value, 'g', 15); }

bool isNumber(const QVariant &v) {
    const int id = v.metaType().id();
    return id == QMetaType::Double || id == QMetaType::Float || id == QMetaType::Int || id == QMetaType::LongLong;
}

QString text(const QVariant &v, const QString &field) {
    if (v.isNull()) return {};
    if (v.metaType().id() == QMetaType::Double) return formatGeneral(v.toDouble());
    if (isNumber(v)) return v.toString();
    if (field == QLatin1String("reg_date")) return formatDateTime(v.toString());
    return v.toString();
}

} // namespace ValueText
