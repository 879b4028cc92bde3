#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// The builder's own connection to a database file (QSQLITE, created when absent). Bulk rows go
// through prepared statements on the raw handle: a million inserts take seconds, not minutes.
// Every failure throws AppError with SQLite's message.
class BuilderDatabase {
public:
    explicit BuilderDatabase(const QString &path);
    ~BuilderDatabase();
    BuilderDatabase(const BuilderDatabase &) = delete;
    BuilderDatabase &operator=(const BuilderDatabase &) = delete;

    void exec(const QString &sql);
    // The lookup tables; indexes separately, so bulk loads can add them after the rows.
    void createTables();
    void createIndexes();

    // What every write ends with: the WAL journal (several windows read and write the file at
    // once) and fresh planner statistics.
    void finish();

    sqlite3 *handle() const { return handle_; }
    const QString &path() const { return path_; }

private:
    QString path_;
    QString connection_;
    sqlite3 *handle_ = nullptr;
};

// One prepared INSERT, bound value by value in column order, then insert().
class Inserter {
public:
    Inserter(BuilderDatabase &db, const char *sql);
    ~Inserter();
    Inserter(const Inserter &) = delete;
    Inserter &operator=(const Inserter &) = delete;

    Inserter &text(const QString &value);
    Inserter &utf8(const QByteArray &value);
    Inserter &textOrNull(const QString &value); // empty text becomes Null
    Inserter &integer(qint64 value);
    Inserter &real(std::optional<double> value);
    Inserter &null();
    void insert();

private:
    void check(int rc);
    sqlite3 *db_;
    sqlite3_stmt *stmt_ = nullptr;
    int next_ = 1;
};
