#pragma once
#include <QObject>
#include <QStringList>
#include <QTimer>

class ClickLabel;
class Connection;

// The news ticker on the main window's status line: the stored news titles one after another,
// every five seconds; a click opens the news item shown on the vendor site.
class NewsTicker : public QObject {
    Q_OBJECT
public:
    // Makes the ticker's label on the window's client area and starts its timer.
    explicit NewsTicker(QWidget *client);

    // Reads the stored news and shows the first title; throws AppError. Without news the ticker
    // stays idle.
    void load(Connection &connection);
    // Forgets the news: the ticker stays as it is.
    void clear();
    // The next title, after the last the first (what the timer does).
    void advance();
    const QStringList &titles() const { return titles_; }
    QWidget *label() const;
    // The id of the news item shown; empty before any.
    const QString &shownId() const { return shownId_; }

private:
    void show(int index);

    ClickLabel *label_;
    QTimer timer_;
    QStringList ids_, titles_;
    QString shownId_;
    int next_ = 0;
};
