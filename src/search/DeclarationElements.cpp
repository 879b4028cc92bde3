#include "search/DeclarationElements.h"

#include "data/AppError.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace DeclarationElements {

QStringList items(const QString &text) {
    // An item ends where a semicolon (half or full width) is followed by the next item's number
    // and colon; semicolons inside an item's text stay.
    static const QRegularExpression boundary(QStringLiteral("[;；]\\s*(?=\\d+\\s*[:：])"));
    QStringList out;
    for (QString item : text.split(boundary)) {
        item = item.trimmed();
        // The last item often ends with the list's closing semicolon.
        while (item.endsWith(u';') || item.endsWith(u'；')) item = item.chopped(1).trimmed();
        if (!item.isEmpty()) out << item;
    }
    return out;
}

QString ofCode(const QSqlDatabase &db, const QString &storedCode) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("select spec from official_hs where hs_code = ?")))
        throw AppError(q.lastError().text());
    q.addBindValue(storedCode);
    if (!q.exec()) throw AppError(q.lastError().text());
    if (!q.next() || q.value(0).isNull()) return QString();
    return q.value(0).toString();
}

} // namespace DeclarationElements
