// The command-line lookup against a fixture database: the three results with the grids' text,
// aligned by display width or as CSV, and its errors.
#include "cli/CliSearch.h"
#include "data/CodeCodec.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct CliRun {
    int code;
    QString out, err;
};

CliRun cli(const QStringList &args) {
    CliRun r;
    QTextStream out(&r.out), err(&r.err);
    r.code = CliSearch::run(args, out, err);
    out.flush();
    err.flush();
    return r;
}

void fill(TestDatabase &db) {
    db.exec({QStringLiteral("insert into official_hs (id,hs_code,name,spec,low_rate,lice,reg_rate) values "
                            "(1,'%1','活马','1:品名',0.5,'AB',13)")
                 .arg(ScrambleCode(QStringLiteral("0101210010"))),
             QStringLiteral("insert into hs_classify values (1,'%1','马, \"纯种\"','line one\nline two')")
                 .arg(ScrambleCode(QStringLiteral("01012100"))),
             QStringLiteral("insert into case_hs values (1,'马驹','%1','s','2024-01-01','',0,'')")
                 .arg(ScrambleCode(QStringLiteral("0101210010"))),
             QStringLiteral("insert into case_hs values (2,'Horse','%1','spec','2024-01-01','',0,'')")
                 .arg(ScrambleCode(QStringLiteral("0101290000"))),
             QStringLiteral("insert into case_hs values (3,'牛','%1','s','2024-01-01','',0,'')")
                 .arg(ScrambleCode(QStringLiteral("0102290000")))});
}

} // namespace

TEST(Cli, PrintsTheThreeResultsAlignedByDisplayWidth) {
    TestDatabase db;
    fill(db);
    const CliRun r = cli({"search", "--code", " 0101 ", "--db", db.dir()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("official_hs (1 row)\n"
                                    "商品编码    商品名称  申报要素  最惠国税率  监管条件  退税率\n"
                                    "0101210010  活马      1:品名    0.5         AB        13\n"
                                    "\n"
                                    "hs_classify (1 row)\n"
                                    "商品编码  商品名称    申报要素\n"
                                    "01012100  马, \"纯种\"  line one line two\n"
                                    "\n"
                                    "case_hs (2 rows)\n"
                                    "商品编码     商品名称  申报要素\n"
                                    "01012100.10  马驹      s\n"
                                    "01012900     Horse     spec\n"));
}

TEST(Cli, CsvQuotesFieldsAndTheNameMatchesAsInTheWindow) {
    TestDatabase db;
    fill(db);
    const CliRun r = cli({"search", "--name", "马", "--csv", "--db", db.dir()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("table,商品编码,商品名称,申报要素,最惠国税率,监管条件,退税率\r\n"
                                    "official_hs,0101210010,活马,1:品名,0.5,AB,13\r\n"
                                    "\r\n"
                                    "table,商品编码,商品名称,申报要素\r\n"
                                    "hs_classify,01012100,\"马, \"\"纯种\"\"\",line one line two\r\n"
                                    "\r\n"
                                    "table,商品编码,商品名称,申报要素\r\n"
                                    "case_hs,01012100.10,马驹,s\r\n"));
    // Latin letters match without regard to case, as LIKE does.
    EXPECT_TRUE(cli({"search", "--name", "hORSE", "--csv", "--db", db.dir()})
                    .out.contains(QStringLiteral("case_hs,01012900,Horse")));
}

TEST(Cli, ReportsUsageAndDatabaseErrors) {
    TestDatabase db;
    struct Case {
        QStringList args;
        int code;
        QString err;
    } cases[] = {
        {{}, 2, "usage: zendrik-cli search"},
        {{"search", "--code", "  ", "--db", db.dir()}, 2, "商品编码和品名不能都为空！"},
        {{"search", "--name"}, 2, "--name needs a value"},
        {{"search", "--bogus"}, 2, "unknown argument --bogus"},
        {{"search", "--code", "01", "--db", db.dir() + "missing"}, 1, "找不到数据库文件"},
    };
    for (const Case &c : cases) {
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
    }
}

TEST(Cli, DisplayWidthCountsWideCharactersTwice) {
    EXPECT_EQ(CliSearch::displayWidth(QStringLiteral("abc")), 3);
    EXPECT_EQ(CliSearch::displayWidth(QStringLiteral("钢管")), 4);
    EXPECT_EQ(CliSearch::displayWidth(QStringLiteral("（A）")), 5);
    EXPECT_EQ(CliSearch::displayWidth(QStringLiteral("𠀀x")), 3); // outside the basic plane
}

TEST(Cli, ReadsADatabaseInstalledWhereTheUserMayNotWrite) {
    // A database left in WAL mode in a folder the user cannot write to: no -shm can be made.
    TestDatabase db;
    fill(db);
    db.exec(QStringLiteral("pragma journal_mode=WAL"));
    db.closeConnection();
    ASSERT_FALSE(QFile::exists(db.file() + QStringLiteral("-shm")));
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/zendrik-cli");
    QString program = cli;
    QStringList args{"search", "--code", "0101", "--db", db.dir()};
    if (geteuid() == 0) {
        // root writes anywhere: run the lookup as an unprivileged user instead.
        program = QStringLiteral("setpriv");
        args = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", cli} + args;
        QProcess probe;
        probe.start(program, {"--reuid=65534", "--regid=65534", "--clear-groups", "test", "-x", cli});
        if (!probe.waitForFinished(5000) || probe.exitCode() != 0)
            GTEST_SKIP() << "an unprivileged user cannot run " << cli.toStdString() << " here";
    }
    QFile::setPermissions(db.file(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QFile::setPermissions(db.dir(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                        QFile::ReadOther | QFile::ExeOther);
    QProcess run;
    run.start(program, args);
    ASSERT_TRUE(run.waitForFinished(20000));
    const QString out = QString::fromUtf8(run.readAllStandardOutput());
    QFile::setPermissions(db.dir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("case_hs (2 rows)"))) << out.toStdString();
}
