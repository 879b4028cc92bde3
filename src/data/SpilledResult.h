#pragma once
#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <QVariant>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <vector>

// One row of a result: its values in field order, as the Qt SQLite driver gives them (integers
// as qlonglong, reals as double, text as QString, Null as a null QString).
using ResultRow = QList<QVariant>;

// A statement's rows as an engine reads them, one at a time, each written in the form a
// SpilledResult keeps (the put* functions).
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual int columns() const = 0;
    // Steps to the next row; false at the end of the rows, or when reading failed after some.
    virtual bool step() = 0;
    // Appends the current row's values to `out`.
    virtual void write(QByteArray &out) const = 0;
    // Ends the statement's read of the database early.
    virtual void finish() = 0;

    static void putNull(QByteArray &out);
    static void putInteger(QByteArray &out, qint64 value);
    static void putReal(QByteArray &out, double value);
    static void putText(QByteArray &out, const char *utf8, quint32 size);
    static void putBlob(QByteArray &out, const char *bytes, quint32 size);
};

// A statement's result read once, front to back, with its rows kept in an unnamed temporary
// file rather than in memory: only the file offset of every 64th row stays in memory, so a
// million rows cost a few hundred kilobytes here whatever their width. Any range of rows read
// so far is read back by position. Rows before `skip` are stepped over, not kept.
// One thread reads the statement on (readTo); others may read the rows kept meanwhile (rows,
// rowCount, atEnd).
class SpilledResult {
public:
    explicit SpilledResult(std::unique_ptr<RowSource> source, qint64 skip);
    ~SpilledResult();
    SpilledResult(const SpilledResult &) = delete;
    SpilledResult &operator=(const SpilledResult &) = delete;

    // Rows kept so far (after the skipped ones).
    qint64 rowCount() const { return rows_; }
    bool atEnd() const { return ended_; }
    // Reads on until `rows` are kept, the result ends or the deadline passes.
    void readTo(qint64 rows, QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));
    // Ends the statement's read of the database early; the rows kept stay readable.
    void stop() { finish(); }
    // Rows [first, first + count) of those kept.
    QList<ResultRow> rows(qint64 first, int count);

    static constexpr int kBlockRows = 64;

private:
    void finish();
    void appendRow();
    void flush();

    std::unique_ptr<RowSource> source_; // null once finished
    int columns_ = 0;
    qint64 skip_ = 0;
    std::atomic<qint64> rows_ = 0;
    std::atomic<bool> ended_ = false;
    std::mutex mutex_; // the file and what describes it
    std::FILE *file_ = nullptr;
    qint64 written_ = 0; // bytes in the file
    QByteArray pending_; // bytes of rows not yet written
    std::vector<qint64> blockStart_; // offset of every kBlockRows-th row
};
