#pragma once
#include <QDialog>

class DataGrid;
class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

// The grid's find dialog (Ctrl+F): text with the texts searched before, the column or all
// columns, where in the value to match, direction, case, and whether to search the displayed
// text (so codes are found by their plain form). Find-next makes the next matching row current.
class FindDialog : public QDialog {
    Q_OBJECT
public:
    enum class Match { Anywhere, WholeValue, Beginning };
    enum class Direction { Up, Down, All };

    explicit FindDialog(DataGrid *grid);

    QComboBox *text = nullptr;
    QComboBox *column = nullptr; // item 0: all columns, then the grid's visible columns
    QRadioButton *anywhere = nullptr, *wholeValue = nullptr, *beginning = nullptr;
    QRadioButton *up = nullptr, *down = nullptr, *all = nullptr;
    QCheckBox *matchCase = nullptr, *displayedText = nullptr;
    QLabel *status = nullptr;

    // Moves the grid's current row to the next match; false when there is none.
    bool findNext();
    // Refreshes the column list from the grid's current columns.
    void refreshColumns();

private:
    bool matches(int row) const;
    DataGrid *grid_;
};
