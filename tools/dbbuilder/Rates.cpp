#include "dbbuilder/Rates.h"

#include <QDate>
#include <QRegularExpression>

std::optional<double> percentRate(const QString &text) {
    static const QRegularExpression plain(QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*%?\\s*$"));
    const QRegularExpressionMatch m = plain.match(text);
    if (!m.hasMatch()) return std::nullopt;
    return m.captured(1).toDouble();
}

bool isIsoDate(const QString &text) {
    static const QRegularExpression layout(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    return layout.match(text).hasMatch() && QDate::fromString(text, QStringLiteral("yyyy-MM-dd")).isValid();
}
