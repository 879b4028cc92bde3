// Generates update files of 10,000 and 100,000 case records and times their import through the
// real import window against a fresh lookup database in a temporary folder.
//
//   importbench [records...]      (default: 10000 100000)
#include "data/DatabasePath.h"
#include "data/Schema.h"
#include "data/SearchIndex.h"
#include "platform/RecordingPlatform.h"
#include "updates/UnitImport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <cstdio>

namespace {

bool makeDatabase(const QString &file) {
    QFile::remove(file);
    bool ok = true;
    {
        SearchIndex::registerTokenizer();
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
        db.setDatabaseName(file);
        ok = db.open();
        QSqlQuery q(db);
        for (const QString &s : Schema::createStatements()) ok = ok && q.exec(s);
        ok = ok &&
             q.exec(QStringLiteral("insert into case_hs values (1,'种子','6E','s','2023-01-01','2023-01-01',0,'x')"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    return ok;
}

// Every record is newer than the seed row, so each one is inserted; names are Chinese and the
// file is GB2312, as downloaded update files usually are.
bool writeUpdateFile(const QString &path, int records) {
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<cases>\n");
    text.reserve(records * 170);
    for (int i = 0; i < records; ++i) {
        const int day = 1 + i % 28, month = 1 + (i / 28) % 12;
        text += QStringLiteral("  <case><code>%1</code><name>不锈钢无缝钢管 %2</name>"
                               "<spec>外径 %3mm，壁厚 2mm</spec><date>2024-%4-%5</date>"
                               "<source>海关总署归类决定</source></case>\n")
                    .arg(8471000000LL + i)
                    .arg(i)
                    .arg(10 + i % 90)
                    .arg(month, 2, 10, QLatin1Char('0'))
                    .arg(day, 2, 10, QLatin1Char('0'));
    }
    text += QStringLiteral("</cases>\n");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(QStringEncoder("GB2312").encode(text));
    return true;
}

qint64 caseRows(const QString &file) {
    qint64 n = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("count"));
        db.setDatabaseName(file);
        QSqlQuery q(db);
        if (db.open() && q.exec(QStringLiteral("select count(*) from case_hs")) && q.next())
            n = q.value(0).toLongLong();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("count"));
    return n;
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i) sizes << QString::fromLocal8Bit(argv[i]).toInt();
    if (sizes.isEmpty()) sizes = {10000, 100000};

    QTemporaryDir dir;
    DatabasePath::setExecutableDir(dir.path() + u'/');
    RecordingPlatform platform;

    for (int records : sizes) {
        const QString file = dir.filePath(QStringLiteral("update%1.xml").arg(records));
        if (!makeDatabase(dir.filePath(QStringLiteral("quorvel.mdb"))) || !writeUpdateFile(file, records)) {
            std::fprintf(stderr, "could not prepare the %d-record run\n", records);
            return 1;
        }
        TfrmImport window(nullptr);
        platform.boxes.clear();
        platform.nextFileName = file;
        window.img1Click();
        QElapsedTimer timer;
        timer.start();
        window.img2Click();
        const qint64 ms = timer.elapsed();
        const QString outcome = platform.boxes.isEmpty() ? QStringLiteral("(no message)") : platform.boxes.last().text;
        std::printf("%7d records, %5.1f MB: %6lld ms, %lld rows in case_hs afterwards  %s\n", records,
                    QFile(file).size() / 1e6, ms, caseRows(dir.filePath(QStringLiteral("quorvel.mdb"))),
                    qPrintable(outcome));
    }
    return 0;
}
