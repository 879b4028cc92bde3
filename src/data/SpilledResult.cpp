#include "data/SpilledResult.h"

#include "data/AppError.h"

#include <cstring>
#include <unistd.h>

namespace {

enum Tag : char { Null, Integer, Real, Text, Blob };

// Pending rows go to the file in pieces of this size.
constexpr qsizetype kFlushBytes = 256 * 1024;

template <typename T> void put(QByteArray &out, T value) {
    out.append(reinterpret_cast<const char *>(&value), sizeof value);
}

template <typename T> T take(const char *&p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    p += sizeof value;
    return value;
}

} // namespace

void RowSource::putNull(QByteArray &out) { out.append(char(Null)); }

void RowSource::putInteger(QByteArray &out, qint64 value) {
    out.append(char(Integer));
    put<qint64>(out, value);
}

void RowSource::putReal(QByteArray &out, double value) {
    out.append(char(Real));
    put<double>(out, value);
}

void RowSource::putText(QByteArray &out, const char *utf8, quint32 size) {
    out.append(char(Text));
    put<quint32>(out, size);
    out.append(utf8, size);
}

void RowSource::putBlob(QByteArray &out, const char *bytes, quint32 size) {
    out.append(char(Blob));
    put<quint32>(out, size);
    out.append(bytes, size);
}

SpilledResult::SpilledResult(std::unique_ptr<RowSource> source, qint64 skip) : source_(std::move(source)), skip_(skip) {
    file_ = std::tmpfile();
    if (!file_) {
        finish();
        throw AppError(QStringLiteral("No temporary file for the result"));
    }
}

SpilledResult::~SpilledResult() {
    finish();
    if (file_) std::fclose(file_);
}

void SpilledResult::finish() {
    if (source_) source_->finish();
    source_.reset();
    ended_ = true;
}

void SpilledResult::readTo(qint64 rows, QDeadlineTimer deadline) {
    int sinceCheck = 0;
    try {
        while (source_ && rows_ < rows) {
            if (!source_->step()) {
                finish();
                break;
            }
            if (skip_ > 0) {
                --skip_;
                continue;
            }
            appendRow();
            if (++sinceCheck == 256) {
                sinceCheck = 0;
                if (deadline.hasExpired()) break;
            }
        }
    } catch (const AppError &) {
        // A failure after the first rows: what was read stays readable, and the caller hears
        // that the rest will not come (nor is this the end of the rows).
        source_->finish();
        source_.reset();
        const std::lock_guard lock(mutex_);
        flush();
        throw;
    }
    const std::lock_guard lock(mutex_);
    if (pending_.size() >= kFlushBytes || !source_) flush();
}

void SpilledResult::appendRow() {
    const std::lock_guard lock(mutex_);
    if (rows_ % kBlockRows == 0) blockStart_.push_back(written_ + pending_.size());
    // Known once a row is there: a server's cursor tells its columns with its first rows.
    if (rows_ == 0) columns_ = source_->columns();
    source_->write(pending_);
    ++rows_;
    if (pending_.size() >= kFlushBytes) flush();
}

void SpilledResult::flush() {
    const char *p = pending_.constData();
    qsizetype left = pending_.size();
    while (left > 0) {
        const ssize_t n = ::pwrite(fileno(file_), p, size_t(left), written_);
        if (n <= 0) throw AppError(QStringLiteral("The temporary file of the result cannot be written"));
        written_ += n;
        p += n;
        left -= n;
    }
    pending_.clear();
}

QList<ResultRow> SpilledResult::rows(qint64 first, int count) {
    QList<ResultRow> out;
    const std::lock_guard lock(mutex_);
    if (first < 0 || first >= rows_ || count <= 0) return out;
    count = int(std::min<qint64>(count, rows_ - first));
    const qint64 last = first + count - 1;
    if (!pending_.isEmpty()) flush();
    const size_t lastBlock = size_t(last / kBlockRows);
    const qint64 from = blockStart_[size_t(first / kBlockRows)];
    const qint64 to = lastBlock + 1 < blockStart_.size() ? blockStart_[lastBlock + 1] : written_;
    QByteArray bytes(to - from, Qt::Uninitialized);
    qint64 got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(fileno(file_), bytes.data() + got, size_t(bytes.size() - got), from + got);
        if (n <= 0) throw AppError(QStringLiteral("The temporary file of the result cannot be read"));
        got += n;
    }
    const char *p = bytes.constData();
    out.reserve(count);
    for (qint64 row = first - first % kBlockRows; row <= last; ++row) {
        const bool keep = row >= first;
        ResultRow values;
        if (keep) values.reserve(columns_);
        for (int c = 0; c < columns_; ++c) {
            const char tag = *p++;
            switch (tag) {
            case Null:
                if (keep) values.append(QVariant(QMetaType::fromType<QString>()));
                break;
            case Integer: {
                const auto v = take<qint64>(p);
                if (keep) values.append(QVariant(qlonglong(v)));
                break;
            }
            case Real: {
                const auto v = take<double>(p);
                if (keep) values.append(QVariant(v));
                break;
            }
            default: {
                const auto size = take<quint32>(p);
                if (keep)
                    values.append(tag == Text ? QVariant(QString::fromUtf8(p, size)) : QVariant(QByteArray(p, size)));
                p += size;
            }
            }
        }
        if (keep) out.append(std::move(values));
    }
    return out;
}
