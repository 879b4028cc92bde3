#pragma once
#include <QList>
#include <QObject>

class DataGrid;

// Sees every wheel turn in the program before it is delivered: over any control, a turn moves the
// current row of whichever of the grids has the focus by one row, as an arrow key does.
class WheelRows : public QObject {
public:
    // Watches the application while it lives.
    WheelRows(QList<DataGrid *> grids, QObject *parent);
    ~WheelRows() override;

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<DataGrid *> grids_;
};
