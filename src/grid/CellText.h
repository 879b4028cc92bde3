#pragma once
#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>

// Supplies a field's text from its stored value, the same for display and editing.
using DisplayHook = std::function<QString(const QVariant &value)>;
// Supplies the text of a Null value of a field from the cell's row.
using NullTextHook = std::function<QString(int row)>;

// How a stored value reads in a grid cell: through its field's display hook when it has one,
// else numbers and dates formatted, with a field's own text for Null values where one is set.
class CellText {
public:
    void setDisplayHook(const QString &field, DisplayHook hook) { hooks_.insert(field, std::move(hook)); }
    void setNullText(const QString &field, NullTextHook hook) { nullTexts_.insert(field, std::move(hook)); }

    // The text of a field's value in a row.
    QString text(const QString &field, const QVariant &value, int row) const;
    // Numbers align right unless a hook makes them text; everything else aligns left.
    Qt::Alignment alignment(const QString &field, const QVariant &value) const;

private:
    QHash<QString, DisplayHook> hooks_;
    QHash<QString, NullTextHook> nullTexts_;
};
