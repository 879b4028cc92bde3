#pragma once
#include "data/ResultEngine.h"
#include "data/SpilledResult.h"

#include <QString>
#include <condition_variable>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

// Reads a statement's result on a thread of its own, over its own read-only connection, into
// temporary files: first its count, then only the rows asked for: from the front (after the
// rows the caller already has) or, when the reversed statement is known, from the end, towards
// whatever row was last asked for. Both runs read one snapshot of the database. Rows read are
// read back by position from any thread; nothing is read that nobody asked for beyond the count.
class ResultReader {
public:
    struct Statements {
        Statement forward; // the rows in order
        qint64 skip = 0; // its first rows, which the caller has
        Statement backward; // the same rows in the reverse order; empty when not known
        Statement count; // "select count(*) ..." of the rows
        qint64 known = -1; // the count when known already: not counted again
        int delayMs = 0; // how long reading waits unless asked for the count or a row
    };
    // `engine`: the reader's own connection to the store (ResultEngine::of). `changed` runs on
    // the reader's thread whenever the count or the rows read change.
    ResultReader(std::unique_ptr<ResultEngine> engine, Statements statements, std::function<void()> changed);
    ~ResultReader();
    ResultReader(const ResultReader &) = delete;
    ResultReader &operator=(const ResultReader &) = delete;

    // The number of rows; -1 until counted.
    qint64 count() const;
    // Asks for the count now (rather than after the delay), without waiting.
    void hurry();
    // Whether the row can be read now.
    bool has(qint64 row) const;
    // Asks for the row to be read, without waiting.
    void want(qint64 row);
    // Asks for the row and waits until it can be read (or the reading ended without it, or the
    // time passed).
    bool waitFor(qint64 row, int ms = -1);
    // Whether rows [first, last] can all be read now.
    bool hasRange(qint64 first, qint64 last) const;
    // Reads every row, waiting until they are read.
    void readAll();
    // Whether the row is readable or lies within `rows` rows of those read.
    bool near(qint64 row, qint64 rows) const;
    // Rows [first, first + n), all of them readable.
    QList<ResultRow> rows(qint64 first, int n) const;
    // Whether every row is readable.
    bool complete() const;
    // Whether reading stopped on an error: rows not read by then never will be.
    bool failed() const;

    // Rows read past the one asked for, so that moving on a little waits for nothing.
    static constexpr qint64 kAhead = 1024;
    static constexpr qint64 kAll = std::numeric_limits<qint64>::max();

private:
    void run();
    // Whether the reader is being stopped: a statement it interrupted is no failure to tell.
    bool stopping() const;
    // Rows read from the front (skipped ones included) and from the end.
    qint64 frontLocked() const;
    qint64 backLocked() const;
    bool hasLocked(qint64 row) const;
    bool doneLocked() const;

    const std::unique_ptr<ResultEngine> engine_;
    const Statements statements_;
    const std::function<void()> changed_;
    mutable std::mutex mutex_;
    std::condition_variable wake_; // the reader: something asked for, or stop
    std::condition_variable progress_; // waiters: something read
    bool opened_ = false; // the engine is connected
    std::unique_ptr<SpilledResult> front_;
    std::unique_ptr<SpilledResult> back_;
    qint64 count_ = -1;
    qint64 wanted_ = -1;
    bool failed_ = false; // reading stopped: what was read stays readable
    bool stop_ = false;
    bool hurry_ = false;
    std::thread thread_;
};
