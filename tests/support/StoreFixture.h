#pragma once
#include "support/PgServer.h"
#include "support/TestDatabase.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

// The two stores the program works on: its SQLite file and a database server.
enum class StoreKind { File, Server };
inline std::ostream &operator<<(std::ostream &os, StoreKind s) {
    return os << (s == StoreKind::File ? "File" : "Server");
}
inline const char *storeName(StoreKind s) { return s == StoreKind::File ? "File" : "Server"; }

// An empty lookup database with the full schema on either store: a file in a temporary folder,
// or a fresh database on the tests' throwaway server named by a configuration file in a
// temporary folder. The program reaches it through connectionString().
class StoreFixture {
public:
    explicit StoreFixture(StoreKind store);
    // Empty when the store is there; otherwise why not (see SKIP_WITHOUT_STORE).
    const QString &unavailable() const { return unavailable_; }
    QString connectionString() const;
    // Runs statements as a tool other than the program would; fails the test on an error.
    void exec(const QStringList &statements);
    StoreKind store() const { return store_; }
    // The server's database; empty for the file.
    const QString &database() const { return database_; }

private:
    StoreKind store_;
    QString unavailable_;
    std::unique_ptr<TestDatabase> file_;
    QTemporaryDir configDir_;
    QString database_;
    QString config_;
};

// Skips the current test when the fixture's store is a server and PostgreSQL is not installed;
// fails it when the store is not there otherwise.
#define SKIP_WITHOUT_STORE(fixture)                                                                                    \
    do {                                                                                                               \
        if (const QString why = (fixture).unavailable(); !why.isEmpty()) {                                             \
            if (!PgServer::installed()) GTEST_SKIP() << "PostgreSQL not installed: " << why.toStdString();             \
            FAIL() << "PostgreSQL test server not available: " << why.toStdString();                                   \
        }                                                                                                              \
    } while (0)
