#pragma once
#include <QObject>
#include <QStringList>

class ClickLabel;
class Connection;
class QLabel;
class QTextEdit;
class QWidget;

// The full declaration elements of the detail view's code. The tariff row grid has no column for
// them, so they go where no control lies: the strip between the tariff row and the lower grids
// shows the first two lines, and a link at the strip's end opens the whole list, one item a
// line, over the top of the lower grids until it is closed again.
class DeclarationStrip : public QObject {
    Q_OBJECT
public:
    // Makes the strip's controls on the detail panel.
    DeclarationStrip(QWidget *panel, Connection &connection);

    // Shows the elements of a code as stored (scrambled); none for an empty code.
    void showCode(const QString &storedCode);
    // Places the strip from `left` to `right` in the panel's coordinates.
    void place(int left, int right);
    void setListOpen(bool open);
    bool isListOpen() const;

private:
    QWidget *panel_;
    Connection &connection_;
    QLabel *line_;
    ClickLabel *more_;
    QTextEdit *list_;
    QStringList items_;
    int left_ = 0, right_ = 0;
};
