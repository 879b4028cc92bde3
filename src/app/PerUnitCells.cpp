#include "app/PerUnitCells.h"

#include "data/Connection.h"
#include "grid/GridModel.h"
#include "rates/PerUnitText.h"

void showPerUnitText(GridModel *grid, Connection &connection, const std::shared_ptr<PerUnitText> &texts,
                     const QString &field, const QString &kind) {
    grid->setNullText(field, [grid, &connection, texts, kind](int row) {
        const int code = grid->columnOf(QStringLiteral("hs_code"));
        if (code < 0) return QString();
        if (!texts->isLoaded()) texts->load(connection.database());
        return texts->text(grid->storedText(row, code), kind);
    });
}
