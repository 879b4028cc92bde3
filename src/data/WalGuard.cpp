#include "data/WalGuard.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace WalGuard {

namespace {

constexpr int kWalHeader = 32;
constexpr int kFrameHeader = 24;
// The wal-index (-shm) holds two copies of its 48-byte header, then the checkpoint record,
// whose first field counts the log frames already copied into the database.
constexpr qint64 kBackfillOffset = 96;
// Every connection holds a shared lock on this byte of the -shm while the database is open.
constexpr off_t kOpenLockByte = 128;

quint32 bigEndian(const char *p) {
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | quint32(u[3]);
}

struct timespec changeTime(const struct stat &s) {
    return s.st_ctim;
}
struct timespec modifyTime(const struct stat &s) {
    return s.st_mtim;
}
bool later(const struct timespec &a, const struct timespec &b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

// The frames already copied into the database, from the -shm; 0 when unknown.
quint32 backfilled(const QString &shmFile) {
    QFile shm(shmFile);
    if (!shm.open(QIODevice::ReadOnly) || !shm.seek(kBackfillOffset)) return 0;
    const QByteArray raw = shm.read(4);
    if (raw.size() != 4) return 0;
    quint32 n;
    std::memcpy(&n, raw.constData(), 4); // native byte order
    return n;
}

bool openedByAProcess(const QString &shmFile) {
    const int fd = ::open(QFile::encodeName(shmFile).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = kOpenLockByte;
    probe.l_len = 1;
    const bool locked = ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

} // namespace

Verdict examine(const QString &databaseFile) {
    const QString walFile = databaseFile + QStringLiteral("-wal");
    QFile wal(walFile), db(databaseFile);
    if (!wal.open(QIODevice::ReadOnly) || wal.size() < kWalHeader) return Verdict::NoLog;
    if (!db.open(QIODevice::ReadOnly)) return Verdict::NoLog;
    const QByteArray header = wal.read(kWalHeader);
    const quint32 magic = bigEndian(header.constData());
    if (magic != 0x377f0682 && magic != 0x377f0683) return Verdict::NoLog; // SQLite ignores it too
    const quint32 pageSize = bigEndian(header.constData() + 8);
    const QByteArray dbHeader = db.read(100);
    if (dbHeader.size() < 100) return Verdict::Foreign;
    quint32 dbPageSize = quint32(quint8(dbHeader[16])) << 8 | quint8(dbHeader[17]);
    if (dbPageSize == 1) dbPageSize = 65536;
    if (pageSize != dbPageSize) return Verdict::Foreign;

    const quint32 copied = backfilled(databaseFile + QStringLiteral("-shm"));
    if (copied == 0) {
        struct stat dbStat {
        }, walStat{};
        if (::stat(QFile::encodeName(databaseFile).constData(), &dbStat) != 0 ||
            ::stat(QFile::encodeName(walFile).constData(), &walStat) != 0)
            return Verdict::Own;
        return later(changeTime(dbStat), modifyTime(walStat)) ? Verdict::Foreign : Verdict::Own;
    }
    // The last copied image of each page must be what the database holds.
    QHash<quint32, QByteArray> lastImage;
    for (quint32 frame = 0; frame < copied; ++frame) {
        const QByteArray head = wal.read(kFrameHeader);
        const QByteArray page = wal.read(pageSize);
        if (head.size() != kFrameHeader || page.size() != qsizetype(pageSize)) break;
        // Frames of an earlier generation of the log carry other salts: not part of it.
        if (head.mid(8, 8) != header.mid(16, 8)) break;
        lastImage.insert(bigEndian(head.constData()), page);
    }
    for (auto it = lastImage.cbegin(); it != lastImage.cend(); ++it) {
        if (!db.seek(qint64(it.key() - 1) * pageSize)) return Verdict::Foreign;
        if (db.read(pageSize) != it.value()) return Verdict::Foreign;
    }
    return Verdict::Own;
}

QString setAsideForeign(const QString &databaseFile) {
    if (examine(databaseFile) != Verdict::Foreign) return {};
    const QString shm = databaseFile + QStringLiteral("-shm");
    if (openedByAProcess(shm)) return {};
    const QString aside = databaseFile + QStringLiteral("-wal.foreign-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (!QFile::rename(databaseFile + QStringLiteral("-wal"), aside)) return {};
    QFile::remove(shm); // rebuilt from the log by the next opening; there is no log now
    return aside;
}

} // namespace WalGuard
