#pragma once
#include <QObject>

class PictureButton;
class QLabel;
class QLineEdit;
class SearchHistory;

// The search strip of the main window: the code and name boxes with their remembered searches,
// the search button, and the warning shown when both boxes are empty.
class SearchStrip : public QObject {
    Q_OBJECT
public:
    // Makes the strip's controls on the window's client area.
    explicit SearchStrip(QWidget *client);

    QLineEdit *codeBox() const { return codeBox_; }
    QLineEdit *nameBox() const { return nameBox_; }
    void hideWarning();
    // Ctrl+L: the code box, its text selected so that a new code replaces it.
    void focusCodeBox();

signals:
    // The button or Enter in a box with something to search for: the boxes' texts, trimmed.
    void searchRequested(const QString &code, const QString &name);
    // The name box's 按描述推荐 mark (or Ctrl+D): the box's text as a goods description.
    void describeRequested(const QString &description);

private:
    void search();

    QLabel *warning_;
    QLineEdit *codeBox_;
    QLineEdit *nameBox_;
    SearchHistory *codeHistory_;
    SearchHistory *nameHistory_;
};
