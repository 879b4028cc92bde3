#pragma once
#include <QString>
#include <memory>

class Connection;
class GridModel;
class PerUnitText;

// A Null rate of a tariff row (a duty per unit has no percentage) shows the published text of
// that rate of the row's code, read on the connection when first needed.
void showPerUnitText(GridModel *grid, Connection &connection, const std::shared_ptr<PerUnitText> &texts,
                     const QString &field, const QString &kind);
