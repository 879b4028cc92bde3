#pragma once
#include "data/SpilledResult.h"
#include "data/Statement.h"

#include <QString>
#include <memory>

class Connection;

// A result reader's own connection to the store a window's connection works on, used on the
// reader's thread only (interrupt() excepted): it counts and reads statements within one
// read-only snapshot of the database, from open() until end().
class ResultEngine {
public:
    virtual ~ResultEngine() = default;
    // The engine for the store the connection has open: the SQLite file read through a second
    // read-only connection, or the database server through a connection of its own.
    static std::unique_ptr<ResultEngine> of(Connection &connection);

    // Connects and begins the snapshot; throws AppError with the engine's text.
    virtual void open() = 0;
    // The first column of the statement's first row as a number; throws AppError on a failure.
    virtual qint64 count(const Statement &statement) = 0;
    // The statement's rows, read as asked for.
    virtual std::unique_ptr<RowSource> rows(const Statement &statement) = 0;
    // Ends the snapshot (the row sources are finished by then).
    virtual void end() = 0;
    // From any thread: makes what runs on the connection stop soon with a failure.
    virtual void interrupt() = 0;
    // Disconnects; the row sources are gone by then.
    virtual void close() = 0;
};
