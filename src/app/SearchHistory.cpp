#include "app/SearchHistory.h"

#include "app/UserSettings.h"

#include <QCompleter>
#include <QLineEdit>
#include <QStringListModel>
#include <QTimer>

SearchHistory::SearchHistory(QLineEdit *box, const QString &settingsKey, bool contains)
    : QObject(box), key_(settingsKey), model_(new QStringListModel(this)), completer_(new QCompleter(this)) {
    QStringList saved = userSettings().value(key_).toStringList();
    saved.removeAll(QString());
    saved.removeDuplicates();
    entries_ = saved.mid(0, kMaxEntries);
    model_->setStringList(entries_);
    completer_->setModel(model_);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    completer_->setFilterMode(contains ? Qt::MatchContains : Qt::MatchStartsWith);
    completer_->setCompletionMode(QCompleter::PopupCompletion);
    completer_->setModelSorting(QCompleter::UnsortedModel); // newest first, as kept
    completer_->setMaxVisibleItems(10);
    box->setCompleter(completer_);
}

void SearchHistory::add(const QString &text) {
    if (text.isEmpty()) return;
    QStringList list = entries_;
    list.removeAll(text);
    list.prepend(text);
    while (list.size() > kMaxEntries) list.removeLast();
    if (list == entries_) return;
    entries_ = list;
    userSettings().setValue(key_, entries_);
    // A search run by Enter on an offered entry comes while the completer is still taking that
    // entry from its model: the model changes once it is done.
    QTimer::singleShot(0, this, [this] { model_->setStringList(entries_); });
}
