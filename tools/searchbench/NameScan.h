#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

class QSqlDatabase;

// Every case's name and code held in memory in code order, as one block of text each, and
// scanned name by name with a plain substring search: what looking at every name costs without
// any database, the measure the search's statements are compared with.
class NameScan {
public:
    // Reads every case of the database once.
    explicit NameScan(const QSqlDatabase &db);

    qsizetype size() const { return nameStarts_.size() - 1; }
    // The bytes the names and codes take.
    qsizetype bytes() const;
    // How many cases, counted in code order, have a code that starts with `code` (plain digits)
    // and a name that `%fragment%` matches as the search's LIKE does: '%' any run, '_' any one
    // character, A-Z without case. Stops at `limit` when it is not 0.
    qsizetype count(const QString &code, const QString &fragment, qsizetype limit = 0) const;

private:
    QString names_;
    QList<qsizetype> nameStarts_{0};
    QByteArray codes_;
    QList<qsizetype> codeStarts_{0};
};
