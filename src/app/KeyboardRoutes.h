#pragma once
#include <QObject>

class MainWindow;

// The main window from the keyboard: Enter on a result cell does what a click on it does, Esc or
// Alt+Left goes back from a view (Esc first closes an open list of declaration elements),
// Alt+1/2/3 choose a result tab, Ctrl+L goes to the code box, and Tab runs code box, name box,
// result grid, detail grids.
class KeyboardRoutes : public QObject {
public:
    explicit KeyboardRoutes(MainWindow &window);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void back();
    void chooseTab(int tab);

    MainWindow &window_;
};
