#include "search/GridColumn.h"

namespace Declare {

FieldDef wide(const char *name, int size) { return {QLatin1String(name), FieldKind::WideText, size}; }
FieldDef text(const char *name, int size) { return {QLatin1String(name), FieldKind::Text, size}; }
FieldDef number(const char *name) { return {QLatin1String(name), FieldKind::Float}; }
FieldDef integer(const char *name) { return {QLatin1String(name), FieldKind::Integer}; }

GridColumn column(const char *field, const char *title, int width, bool link, bool wrap) {
    return {QLatin1String(field), QString::fromUtf8(title), width, link, wrap};
}
GridColumn hiddenId() { return {QStringLiteral("id"), QString(), -1, false, false, false}; }

} // namespace Declare
