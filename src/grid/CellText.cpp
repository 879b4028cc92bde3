#include "grid/CellText.h"

#include "data/AppError.h"
#include "search/ValueText.h"

QString CellText::text(const QString &field, const QVariant &value, int row) const {
    const auto hook = hooks_.find(field);
    if (hook != hooks_.end()) {
        try {
            return (*hook)(value);
        } catch (const AppError &) {
            // A stored value the hook cannot read (a code that is not scrambled text) shows
            // as stored rather than failing every repaint.
            return value.toString();
        }
    }
    if (value.isNull()) {
        const auto nullText = nullTexts_.find(field);
        if (nullText != nullTexts_.end()) return (*nullText)(row);
    }
    return ValueText::text(value, field);
}

Qt::Alignment CellText::alignment(const QString &field, const QVariant &value) const {
    return ValueText::isNumber(value) && !hooks_.contains(field) ? Qt::AlignRight : Qt::AlignLeft;
}
