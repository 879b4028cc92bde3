#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// A tariff code's declaration elements: what a declaration must state about the goods, published
// as one text of numbered items ("1:品名;2:用途;3:...").
namespace DeclarationElements {
// The items of the text, each with its number, in their order; a text that is not numbered
// items is one item. Empty for an empty text.
QStringList items(const QString &text);
// The declaration elements of the tariff row with a stored (scrambled) code; a Null string when
// there is no such row or the row has none. Throws AppError when the engine fails.
QString ofCode(const QSqlDatabase &db, const QString &storedCode);
} // namespace DeclarationElements
