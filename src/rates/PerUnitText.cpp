#include "rates/PerUnitText.h"

#include "data/RateSchema.h"
#include "data/Statement.h"

#include <QSqlQuery>

namespace {
QString key(const QString &code, const QString &kind) { return code.toUpper() + u'\t' + kind; }
} // namespace

void PerUnitText::load(const QSqlDatabase &db) {
    loaded_ = true;
    texts_.clear();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!Statements::prepare(q, Statement("select code, kind, rate_text from tariff_rate "
                                          "where rate_percent is null and kind in (?,?)",
                                          {RateSchema::kMfn, RateSchema::kGeneral})) ||
        !q.exec())
        return;
    while (q.next()) texts_.insert(key(q.value(0).toString(), q.value(1).toString()), q.value(2).toString());
}

QString PerUnitText::text(const QString &scrambledCode, const QString &kind) const {
    return texts_.value(key(scrambledCode, kind));
}
