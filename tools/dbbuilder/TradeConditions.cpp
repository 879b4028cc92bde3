#include "dbbuilder/TradeConditions.h"

QString defaultTradeConditions(const QString &tradeName, const QString &licenceCodes) {
    QString dropped;
    if (tradeName.contains(u"来料") || tradeName.contains(u"进料") || tradeName.contains(u"加工"))
        dropped = QStringLiteral("47y");
    else if (tradeName.contains(u"边境")) dropped = QStringLiteral("vx");
    else dropped = QStringLiteral("vxy");
    QString result;
    for (const QChar c : licenceCodes)
        if (!dropped.contains(c) && !result.contains(c)) result += c;
    return result;
}
