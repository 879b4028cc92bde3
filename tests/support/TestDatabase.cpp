#include "support/TestDatabase.h"

#include "data/DatabasePath.h"
#include "data/Schema.h"
#include "data/SearchIndex.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {
int counter = 0;
}

TestDatabase::TestDatabase(bool createFile) : connection_(QStringLiteral("fixture%1").arg(++counter)) {
    DatabasePath::setExecutableDir(dir());
    if (!createFile) return;
    // The name index's tokenizer, as every opener of the program registers it (idempotent).
    SearchIndex::registerTokenizer();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        db.setDatabaseName(file());
        EXPECT_TRUE(db.open());
    }
    exec(Schema::createStatements());
    // As the builder leaves its files: in WAL mode, so readers and a writer coexist.
    exec(QStringLiteral("pragma journal_mode=WAL"));
}

TestDatabase::~TestDatabase() {
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
    DatabasePath::setExecutableDir(QString());
}

QString TestDatabase::dir() const { return tmp_.path() + u'/'; }

QString TestDatabase::file() const { return tmp_.path() + QStringLiteral("/quorvel.mdb"); }

void TestDatabase::exec(const QString &statement) {
    QSqlQuery q(QSqlDatabase::database(connection_));
    EXPECT_TRUE(q.exec(statement)) << statement.toStdString() << ": " << q.lastError().text().toStdString();
}

void TestDatabase::exec(const QStringList &statements) {
    for (const QString &s : statements) exec(s);
}

QVariant TestDatabase::scalar(const QString &statement) {
    QSqlQuery q(QSqlDatabase::database(connection_));
    EXPECT_TRUE(q.exec(statement)) << q.lastError().text().toStdString();
    return q.next() ? q.value(0) : QVariant();
}

void TestDatabase::removeFile() {
    if (QSqlDatabase::contains(connection_)) QSqlDatabase::database(connection_, false).close();
    QFile::remove(file());
}

void TestDatabase::closeConnection() {
    if (QSqlDatabase::contains(connection_)) QSqlDatabase::database(connection_, false).close();
}
