#pragma once
#include <QString>
#include <QVariant>

// How a stored value reads in a grid cell and on the command line.
namespace ValueText {
// General number format: the shortest decimal form with at most 15 significant digits.
QString formatGeneral(double value);
// Whether a stored value is a number (numbers align right).
bool isNumber(const QVariant &value);
// The text of a stored value of a field without a display hook.
QString text(const QVariant &value, const QString &field);
} // namespace ValueText
