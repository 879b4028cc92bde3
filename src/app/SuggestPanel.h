#pragma once
#include <QObject>
#include <memory>

class Connection;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class SuggestIndex;
class SuggestModel;

// The description search's view over the result panel: a box for the goods as the declarant
// describes them, the 推荐 button, and the tariff lines ranked by how well they fit, each with
// the words it matched (marked in the name), its MFN rate and the history's cases and rulings
// under its code. A click on a code (or Enter on its row) opens the code's detail.
class SuggestPanel : public QObject {
    Q_OBJECT
public:
    // Makes the panel, hidden, on the window's client area.
    SuggestPanel(QWidget *client, Connection &connection);
    ~SuggestPanel() override;

    QFrame *panel() const { return panel_; }
    QLineEdit *describeBox() const { return describeBox_; }
    QTableView *view() const { return view_; }
    const SuggestModel &model() const { return *model_; }

    // Shows the panel; a description given is put in the box and searched for at once.
    void open(const QString &description);
    // Ranks the lines for the box's description; failures are reported to the user.
    void run();
    // The data changed (an import): the tariff and the history are read again at the next search.
    void forget();
    void resize(const QSize &panelSize);

signals:
    void codeChosen(const QString &code);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void choose(int row);

    Connection &connection_;
    std::unique_ptr<SuggestIndex> index_;
    QFrame *panel_;
    QLineEdit *describeBox_;
    QPushButton *button_;
    QLabel *hint_;
    QTableView *view_;
    SuggestModel *model_;
};
