#pragma once
#include <QObject>

class QFrame;
class SpecialRatesView;

// The panel of the main window that shows the special tariff rates of one tariff code.
class SpecialRatesPanel : public QObject {
    Q_OBJECT
public:
    // Makes the panel, hidden, on the window's client area.
    explicit SpecialRatesPanel(QWidget *client);

    QFrame *panel() const { return panel_; }
    // Shows the rates of a tariff code as the grid shows it; the view reports its own failures.
    void showCode(const QString &shownCode);
    // The view shown; none before the first.
    SpecialRatesView *view() const;

private:
    QFrame *panel_;
};
