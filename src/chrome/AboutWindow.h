#pragma once
#include <QLabel>
#include <QWidget>

// The About window: a small tool window showing the About picture. Closing it only hides it;
// the program keeps every instance until it ends.
class AboutWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 400;
    static constexpr int ClientHeight = 210;

    explicit AboutWindow(QWidget *parent = nullptr);

    // Shows the window centred over mainWindow (or over the screen when there is none) and brings
    // it to the front.
    void showCentredOver(QWidget *mainWindow);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
