#include "data/ResultReader.h"

#include "data/AppError.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <limits>

namespace {
// A slice of reading between two looks at what is asked for.
constexpr int kSliceMs = 5;
} // namespace

ResultReader::ResultReader(std::unique_ptr<ResultEngine> engine, Statements statements, std::function<void()> changed)
    : engine_(std::move(engine)), statements_(std::move(statements)), changed_(std::move(changed)) {
    thread_ = std::thread([this] { run(); });
}

ResultReader::~ResultReader() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        if (opened_) engine_->interrupt();
    }
    wake_.notify_all();
    thread_.join();
}

void ResultReader::run() {
    {
        // The first screen paints first, unless the count or a row is asked for.
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(statements_.delayMs), [&] { return stop_ || hurry_; });
        if (stop_) return;
    }
    try {
        engine_->open();
        {
            const std::lock_guard lock(mutex_);
            opened_ = true;
            // A stop that came while the engine connected had nothing to interrupt yet.
            if (stop_) engine_->interrupt();
        }
        // Without a count the rows are read from the front to their end, and counted so.
        qint64 n = statements_.known;
        try {
            if (n < 0) n = engine_->count(statements_.count);
        } catch (const AppError &e) {
            if (stopping()) throw; // interrupted: nothing more is read
            qWarning("Result count failed: %s (%s)", qPrintable(e.message()), qPrintable(statements_.count.text));
        }
        // Started outside the lock: a statement may wait for a lock on the database (another desk's
        // write), and the window asking for a row must not wait with it.
        auto front = std::make_unique<SpilledResult>(engine_->rows(statements_.forward), statements_.skip);
        std::unique_ptr<SpilledResult> back;
        if (!statements_.backward.isEmpty() && n >= 0)
            back = std::make_unique<SpilledResult>(engine_->rows(statements_.backward), 0);
        {
            const std::lock_guard lock(mutex_);
            front_ = std::move(front);
            back_ = std::move(back);
            count_ = n;
            if (n < 0) wanted_ = kAll;
        }
        progress_.notify_all();
        changed_();
        for (;;) {
            SpilledResult *spill = nullptr;
            qint64 target = 0;
            {
                std::unique_lock lock(mutex_);
                const auto work = [&] {
                    if (stop_ || doneLocked() || wanted_ < 0) return false;
                    const qint64 f = frontLocked(), b = backLocked(), w = wanted_;
                    if (count_ < 0 || w == kAll) {
                        // Everything: from the front until the rows read from the end.
                        spill = front_.get();
                        target = (count_ < 0 ? kAll : b) - statements_.skip;
                        return true;
                    }
                    // The row asked for, or one close enough to the rows read that reading on
                    // saves a wait, read from the nearer end of the rows not read.
                    const qint64 middle = f + (b - f) / 2;
                    if (w <= middle && w >= f - kAhead / 2) {
                        spill = front_.get();
                        target = std::min(b, std::max(f, w) + kAhead) - statements_.skip;
                        return true;
                    }
                    if (w > middle && w < b + kAhead / 2) {
                        if (back_) {
                            spill = back_.get();
                            target = count_ - std::max(f, std::min(b, w) - kAhead);
                        } else {
                            spill = front_.get();
                            target = std::min(b, w + kAhead) - statements_.skip;
                        }
                        return w < b || back_;
                    }
                    return false;
                };
                wake_.wait(lock, [&] { return stop_ || work(); });
                if (stop_) break;
            }
            spill->readTo(target, QDeadlineTimer(kSliceMs));
            {
                const std::lock_guard lock(mutex_);
                if (count_ < 0 && front_->atEnd()) count_ = frontLocked();
                if (doneLocked()) {
                    // The runs met: their statements end, and with them the read of the database.
                    front_->stop();
                    if (back_) back_->stop();
                    engine_->end();
                }
            }
            progress_.notify_all();
            changed_();
        }
    } catch (const AppError &e) {
        // A statement interrupted because the reader stops is no fault worth telling.
        if (!stopping()) qWarning("Result read stopped: %s", qPrintable(e.message()));
        const std::lock_guard lock(mutex_);
        failed_ = true;
        if (count_ < 0) count_ = frontLocked();
    }
    progress_.notify_all();
    changed_();
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [&] { return stop_; });
    front_.reset();
    back_.reset();
    opened_ = false;
    engine_->close();
}

qint64 ResultReader::frontLocked() const { return statements_.skip + (front_ ? front_->rowCount() : 0); }

qint64 ResultReader::backLocked() const {
    if (count_ < 0) return std::numeric_limits<qint64>::max();
    return count_ - (back_ ? back_->rowCount() : 0);
}

bool ResultReader::doneLocked() const {
    if (failed_) return true;
    if (!front_) return false;
    return front_->atEnd() || (count_ >= 0 && frontLocked() >= backLocked());
}

bool ResultReader::hasLocked(qint64 row) const {
    if (row < 0 || count_ < 0 || row >= count_) return false;
    return row < frontLocked() || row >= backLocked();
}

qint64 ResultReader::count() const {
    const std::lock_guard lock(mutex_);
    return count_;
}

void ResultReader::hurry() {
    {
        const std::lock_guard lock(mutex_);
        hurry_ = true;
    }
    wake_.notify_all();
}

bool ResultReader::has(qint64 row) const {
    const std::lock_guard lock(mutex_);
    return hasLocked(row);
}

bool ResultReader::complete() const {
    const std::lock_guard lock(mutex_);
    return count_ >= 0 && doneLocked() && !failed_;
}

bool ResultReader::stopping() const {
    const std::lock_guard lock(mutex_);
    return stop_;
}

bool ResultReader::failed() const {
    const std::lock_guard lock(mutex_);
    return failed_;
}

void ResultReader::want(qint64 row) {
    {
        const std::lock_guard lock(mutex_);
        hurry_ = true;
        if (wanted_ == kAll || wanted_ == row) return;
        wanted_ = row;
    }
    wake_.notify_all();
}

void ResultReader::readAll() {
    want(kAll);
    std::unique_lock lock(mutex_);
    progress_.wait(lock, [&] { return (count_ >= 0 && doneLocked()) || failed_; });
}

bool ResultReader::waitFor(qint64 row, int ms) {
    want(row);
    std::unique_lock lock(mutex_);
    const auto ready = [&] { return hasLocked(row) || (count_ >= 0 && doneLocked()) || failed_; };
    if (ms < 0) progress_.wait(lock, ready);
    else progress_.wait_for(lock, std::chrono::milliseconds(ms), ready);
    return hasLocked(row);
}

bool ResultReader::hasRange(qint64 first, qint64 last) const {
    const std::lock_guard lock(mutex_);
    if (!hasLocked(first) || !hasLocked(last)) return false;
    const qint64 f = frontLocked(), b = backLocked();
    return last < f || first >= b || f >= b;
}

bool ResultReader::near(qint64 row, qint64 rows) const {
    const std::lock_guard lock(mutex_);
    if (count_ < 0) return false;
    const qint64 f = frontLocked(), b = backLocked();
    return hasLocked(row) || (row >= f && row - f < rows) || (back_ && row < b && b - row <= rows);
}

QList<ResultRow> ResultReader::rows(qint64 first, int n) const {
    const std::lock_guard lock(mutex_);
    const qint64 f = frontLocked(), end = first + n;
    QList<ResultRow> out;
    if (first < f) out = front_->rows(first - statements_.skip, int(std::min(end, f) - first));
    if (end > f && back_) {
        // Rows read from the end lie in the reverse order in their file.
        const qint64 from = std::max(first, f);
        QList<ResultRow> tail = back_->rows(count_ - end, int(end - from));
        std::reverse(tail.begin(), tail.end());
        out.append(std::move(tail));
    }
    return out;
}
