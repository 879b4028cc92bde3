#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

class QCompleter;
class QLineEdit;
class QStringListModel;

// The last searches of one search box, newest first, kept in the user's settings under a key:
// the box offers those that match what the user types.
class SearchHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxEntries = 50;

    // `contains`: offer entries that contain the typed text anywhere, not only at their start.
    SearchHistory(QLineEdit *box, const QString &settingsKey, bool contains);

    // A search ran with this text (already trimmed): it becomes the newest entry, once.
    void add(const QString &text);
    const QStringList &entries() const { return entries_; }
    QCompleter *completer() const { return completer_; }

private:
    QString key_;
    QStringList entries_;
    QStringListModel *model_;
    QCompleter *completer_;
};
