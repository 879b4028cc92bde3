// The builder's monthly update files against the program's own import: every record of every
// file goes in, month after month, and the cases read like the generator's own.
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "dbbuilder/CaseRecord.h"
#include "dbbuilder/UpdateFiles.h"
#include "tools/Generate.h"
#include "updates/UpdateImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString tool() { return QCoreApplication::applicationDirPath() + QStringLiteral("/zendrik-dbbuilder"); }

// The tool's exit status, and what it said on stderr.
std::pair<int, std::string> runTool(const QStringList &args) {
    QProcess p;
    p.start(tool(), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), p.readAllStandardError().toStdString()};
}

QByteArray readBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<QStringList> rows(Connection &connection, const QString &sql) {
    connection.ensureOpen();
    QSqlQuery q(connection.database());
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
    QList<QStringList> out;
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < q.record().count(); ++i) row << q.value(i).toString();
        out << row;
    }
    return out;
}

// The share of the names that contain the fragment.
double share(const QList<QStringList> &cases, const QString &fragment) {
    qsizetype n = 0;
    for (const QStringList &c : cases) n += c[0].contains(fragment);
    return cases.isEmpty() ? 0 : double(n) / double(cases.size());
}

} // namespace

TEST(UpdateFiles, ImportWholeMonthByMonthAndReadLikeGeneratedCases) {
    QTemporaryDir tmp;
    const QString db = tmp.filePath(QStringLiteral("quorvel.mdb"));
    ASSERT_TRUE(generateNew(db, 200, 0, 1000));
    const QString out = tmp.filePath(QStringLiteral("updates"));
    const auto [status, said] = runTool({"updates", db, out, "--files", "3", "--records", "400", "--seed", "7"});
    ASSERT_EQ(status, 0) << said;
    const QStringList files = QDir(out).entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
    ASSERT_EQ(files, QStringList({"update01.xml", "update02.xml", "update03.xml"}));
    EXPECT_TRUE(readBytes(QDir(out).filePath(files[0])).startsWith("<?xml version=\"1.0\" encoding=\"GB2312\"?>"));

    Connection connection(QStringLiteral("update-files"));
    connection.setConnectionString(DatabasePath::connectionString(tmp.path() + u'/'));
    QString month = rows(connection, "select substr(max(update_date), 1, 7) from case_hs").value(0).value(0);
    for (const QString &file : files) {
        const UpdateImport::Outcome outcome = UpdateImport::run(connection, QDir(out).filePath(file));
        EXPECT_EQ(outcome.read, 400) << file.toStdString();
        EXPECT_EQ(outcome.imported, 400) << file.toStdString();
        // Each file a month later than the one before.
        ASSERT_TRUE(outcome.newestDate);
        EXPECT_GT(outcome.newestDate->left(7), month) << file.toStdString();
        month = outcome.newestDate->left(7);
    }

    QSet<QString> codes, names;
    for (const QStringList &line : rows(connection, "select hs_code, name from official_hs")) {
        codes << line[0];
        names << line[1];
    }
    // Every import kept the code order, each as a run of its own.
    EXPECT_EQ(rows(connection, "select clustered_to from case_hs_order"), QList<QStringList>{{"2200"}});
    EXPECT_EQ(rows(connection, "select count(*) from case_hs_runs").value(0).value(0), QStringLiteral("3"));
    const QString above = QStringLiteral("from case_hs where rowid > 1000");
    const QList<QStringList> imported = rows(connection, "select name, code, spec " + above);
    const QList<QStringList> generated = rows(connection, "select name from case_hs where rowid <= 1000");
    ASSERT_EQ(imported.size(), 1200);
    QSet<QString> brands;
    for (const char *b : caseBrands()) brands << QString::fromUtf8(b);
    for (const QStringList &c : imported) {
        // A tariff line's code and name, the name perhaps after a brand; its details field names the same brand.
        const QStringList spec = c[2].split(u'|');
        ASSERT_EQ(spec.size(), 6) << c[2].toStdString();
        EXPECT_TRUE(brands.contains(spec[4])) << c[2].toStdString();
        const QString branded = spec[4] + QStringLiteral("牌");
        const QString tariffName = c[0].startsWith(branded) ? c[0].mid(branded.size()) : c[0];
        EXPECT_TRUE(names.contains(tariffName)) << c[0].toStdString();
        EXPECT_TRUE(codes.contains(c[1])) << UnscrambleCode(c[1]).toStdString();
    }
    // The common fragments hit imported names about as often as generated ones.
    for (const char *fragment : {"牌", "钢", "冷冻"}) {
        const double before = share(generated, QString::fromUtf8(fragment));
        const double after = share(imported, QString::fromUtf8(fragment));
        EXPECT_GT(before, 0) << fragment;
        EXPECT_GT(after, before / 2) << fragment;
        EXPECT_LT(after, before * 2) << fragment;
    }
}

TEST(UpdateFiles, SeedsAndFailures) {
    QTemporaryDir tmp;
    const QString db = tmp.filePath(QStringLiteral("quorvel.mdb"));
    ASSERT_TRUE(generateNew(db, 50, 0, 10));
    const auto write = [&](const char *dir, quint64 seed) {
        return readBytes(writeUpdateFiles(db, tmp.filePath(QString::fromLatin1(dir)), {1, 50, seed}).value(0));
    };
    const QByteArray first = write("a", 3);
    EXPECT_FALSE(first.isEmpty());
    EXPECT_EQ(write("b", 3), first);
    EXPECT_NE(write("c", 4), first);

    EXPECT_EQ(runTool({"updates", tmp.filePath("none.mdb"), tmp.filePath("x"), "--files", "1", "--records", "5"}).first,
              1);
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath("x")));
    EXPECT_EQ(runTool({"updates", db, tmp.filePath("x"), "--records", "5"}).first, 2); // --files missing
    EXPECT_EQ(runTool({"updates", db, tmp.filePath("x"), "--files", "0", "--records", "5"}).first, 1);
}
