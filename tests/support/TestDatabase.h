#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "support/Printers.h"

// A lookup database in a fresh temporary folder, with the full schema and no rows. The folder
// stands in for the executable's folder while the fixture lives.
class TestDatabase {
public:
    explicit TestDatabase(bool createFile = true);
    ~TestDatabase();

    QString dir() const; // with trailing separator
    QString file() const; // the database file
    // Runs statements on the fixture's own connection; fails the test on an error.
    void exec(const QString &statement);
    void exec(const QStringList &statements);
    QVariant scalar(const QString &statement);
    void removeFile();
    // Closes the fixture's own connection, so the file is left as an installed one is.
    void closeConnection();

private:
    QTemporaryDir tmp_;
    QString connection_;
};
