#pragma once
#include "grid/GridModel.h"

#include <QTableView>

class Query;

// A read-only data grid bound to one query: sky-blue titles, column and row lines, rows
// coloured by record number, fixed row height, resizable and movable columns. Cells and rows are
// selected as in a spreadsheet; Ctrl+C and the context menu copy them, and the menu exports
// the whole result to a file.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    static const QColor kTitleColor; // sky blue
    static const QColor kEvenRowColor; // RGB 247, 248, 251

    explicit DataGrid(QWidget *parent = nullptr);

    GridModel *gridModel() const { return model_; }
    // Links the grid to a query's result; linking again to the same query changes nothing.
    void setDataSource(Query *query);
    // Rows are a frame allowance (3 pixels of raised style and the 1-pixel row line) plus lines.
    static constexpr int kFrameAllowance = 4;
    // The rulings and case grids fit the text part of a row to whole lines.
    void setFitRowsToLines(bool on) { fitRowsToLines_ = on; }
    // Every row has this height; rows never grow to fit their text.
    void setRowHeight(int pixels);
    int rowHeight() const;
    // Applies the declared widths of the columns.
    void applyColumnWidths();
    // The grid font's line height in pixels.
    int lineHeight() const;

    static QFont gridFont();

    // The grid's find dialog, made on first use (Ctrl+F).
    class FindDialog *findDialog();
    // The current cell and the selection are highlighted while the grid has the focus, or its
    // find dialog or context menu does, so the row a search found shows while the user goes on
    // searching, and the cells a menu command takes show while the menu is open.
    bool showsCurrentCell() const;

    // The column of commodity codes: copied plain by the menu and kept as text in copies and
    // exports. None by default.
    void setCodeField(const QString &field) { codeField_ = field; }
    const QString &codeField() const { return codeField_; }
    // Names the exported sheet and the suggested file.
    void setExportName(const QString &name) { exportName_ = name; }
    const QString &exportName() const { return exportName_; }
    // The columns that hold data, in the order shown: visible columns, without links that are
    // commands rather than values (the code stays).
    QList<int> dataColumns() const;
    // A column's title as copies and exports write it: the levels of a many-level title joined
    // by spaces.
    QString columnTitle(int column) const;
    // The rows that have a selected cell, top to bottom; the current row when none is selected.
    QList<int> selectedRows() const;

    // The context menu's commands (also reached from the keyboard: Ctrl+C copies the cells).
    void copyCells();
    void copyRows();
    void copyCodes();
    void exportResult();

protected:
    void positionOnFirstRow();
    void showSortMark();
    void paintEvent(QPaintEvent *event) override;
    // A jump to the end (Ctrl+End, the scroll bar dragged or clicked to the bottom) fetches
    // the rest of the result at once (when it has been counted: else as soon as it is);
    // scrolling on fetches a chunk at a time.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void verticalScrollbarAction(int action) override;
    void verticalScrollbarValueChanged(int value) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showEnd();
    // The jump to the end asked for while the result was being counted.
    void reachEnd();
    // The leftmost column shown (logical index); -1 when none is.
    int firstShownColumn() const;
    void selectRows();

    GridModel *model_;
    bool fitRowsToLines_ = false;
    class FindDialog *find_ = nullptr;
    class QMenu *menu_ = nullptr; // while open
    QString codeField_;
    QString exportName_;
    enum class EndWanted { None, Cursor, Scroll } endWanted_ = EndWanted::None;
};
