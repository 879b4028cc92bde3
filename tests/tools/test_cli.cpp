// The command-line lookup, run as the real executable against a fixture database: the results
// with the grids' text as aligned columns, one CSV table or JSON lines; help, version, exit codes
// as grep has them, and its errors, including output that cannot be written.
#include "cli/CliOutput.h"
#include "data/CodeCodec.h"
#include "data/RateSchema.h"
#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QString cliProgram() { return QCoreApplication::applicationDirPath() + QStringLiteral("/zendrik-cli"); }

struct CliRun {
    int code;
    QString out, err;
};

CliRun cli(const QStringList &args, const QString &stdoutFile = {}) {
    QProcess p;
    if (!stdoutFile.isEmpty()) p.setStandardOutputFile(stdoutFile);
    p.start(cliProgram(), args);
    EXPECT_TRUE(p.waitForFinished(20000)) << args.join(u' ').toStdString();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
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

// Published rates: beef with a provisional rate below MFN and agreements above and below it,
// chicken wings with duties per kilogram only.
void fillRates(TestDatabase &db) {
    db.exec(RateSchema::createStatements());
    const QString beef = ScrambleCode(QStringLiteral("0201300090"));
    const QString wings = ScrambleCode(QStringLiteral("0207142101"));
    QStringList rows;
    for (const auto &[code, kind, partner, text, percent] :
         {std::tuple{beef, "mfn", "", "12%", "12"}, std::tuple{beef, "provisional", "", "10%", "10"},
          std::tuple{beef, "general", "", "70%", "70"}, std::tuple{beef, "agreement", "亚太", "11%", "11"},
          std::tuple{beef, "agreement", "韩国", "2.4%", "2.4"}, std::tuple{beef, "agreement", "澳大利亚", "0%", "0"},
          std::tuple{wings, "mfn", "", "0.8元/千克", "null"}, std::tuple{wings, "general", "", "8.1元/千克", "null"}})
        rows << QStringLiteral("insert into tariff_rate values ('%1','%2','%3','%4',%5)")
                    .arg(code, QString::fromUtf8(kind), QString::fromUtf8(partner), QString::fromUtf8(text),
                         QString::fromUtf8(percent));
    for (const char *country : {"韩国", "澳大利亚", "美国", "印度"})
        rows << QStringLiteral("insert into partner_country values ('', '%1')").arg(QString::fromUtf8(country));
    db.exec(rows);
}

// The records of an RFC 4180 text: quoted fields may hold commas, quotes (doubled) and line breaks.
QList<QStringList> readCsv(const QString &text) {
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != u'"') field += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"') field += text[++i];
            else quoted = false;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            record << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            record << field;
            records << record;
            record.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_TRUE(field.isEmpty() && record.isEmpty() && !quoted) << "the last record has no CRLF";
    return records;
}

} // namespace

TEST(Cli, ArgumentsToOutputAndExitCode) {
    TestDatabase db;
    fill(db);
    const QString dir = db.dir();
    db.closeConnection(); // the rows reach the file before it is copied
    // The same database under another file name, named by --db as a file.
    const QString other = dir + QStringLiteral("other.mdb");
    ASSERT_TRUE(QFile::copy(db.file(), other));
    // The copy keeps no rate data, as a database made elsewhere.
    fillRates(db);
    db.closeConnection();
    struct Case {
        QStringList args;
        int code;
        QString out; // the whole of stdout
        QString err; // a part of stderr; empty: stderr stays empty
    } cases[] = {
        // Aligned text by display width, the three tables; the dotted code of a document.
        {{"search", "--code", " 0101.2 ", "--db", dir},
         0,
         "official_hs (1 row)\n"
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
         "01012900     Horse     spec\n",
         {}},
        {{"search", "--code", "0101.21.00.10", "--table", "tariff", "--db", dir},
         0,
         "official_hs (1 row)\n"
         "商品编码    商品名称  申报要素  最惠国税率  监管条件  退税率\n"
         "0101210010  活马      1:品名    0.5         AB        13\n",
         {}},
        // One CSV table: a table column, the union of the columns, codes kept as text.
        {{"search", "--name", "马", "--csv", "--db", dir},
         0,
         "table,商品编码,商品名称,申报要素,最惠国税率,监管条件,退税率\r\n"
         "official_hs,\"=\"\"0101210010\"\"\",活马,1:品名,0.5,AB,13\r\n"
         "hs_classify,\"=\"\"01012100\"\"\",\"马, \"\"纯种\"\"\",line one line two,,,\r\n"
         "case_hs,\"=\"\"01012100.10\"\"\",马驹,s,,,\r\n",
         {}},
        // One table: no table column; Latin letters match without regard to case, as LIKE does.
        {{"search", "--name", "hORSE", "--format", "csv", "--table", "cases", "--db", dir},
         0,
         "商品编码,商品名称,申报要素\r\n\"=\"\"01012900\"\"\",Horse,spec\r\n",
         {}},
        {{"search", "--name", "马", "--format", "json", "--db", dir},
         0,
         "{\"table\":\"official_hs\",\"商品编码\":\"0101210010\",\"商品名称\":\"活马\",\"申报要素\":\"1:品名\","
         "\"最惠国税率\":\"0.5\",\"监管条件\":\"AB\",\"退税率\":\"13\"}\n"
         "{\"table\":\"hs_classify\",\"商品编码\":\"01012100\",\"商品名称\":\"马, \\\"纯种\\\"\","
         "\"申报要素\":\"line one line two\"}\n"
         "{\"table\":\"case_hs\",\"商品编码\":\"01012100.10\",\"商品名称\":\"马驹\",\"申报要素\":\"s\"}\n",
         {}},
        // --db names a file of any name.
        {{"search", "--code", "0102", "--format", "json", "--db", other},
         0,
         "{\"table\":\"case_hs\",\"商品编码\":\"01022900\",\"商品名称\":\"牛\",\"申报要素\":\"s\"}\n",
         {}},
        // Nothing found: exit 1, as grep.
        {{"search", "--code", "9999", "--format", "json", "--db", dir}, 1, "", {}},
        {{"search", "--code", "0102", "--table", "tariff", "--csv", "--db", dir},
         1,
         "商品编码,商品名称,申报要素,最惠国税率,监管条件,退税率\r\n",
         {}},
        {{"search", "--code", "9", "--table", "rulings", "--db", dir},
         1,
         "hs_classify (0 rows)\n商品编码  商品名称  申报要素\n",
         {}},
        // Every rate of a code with the countries it covers; the lowest for the origin marked.
        {{"rates", "0201.30.00.90", "--origin", "韩国", "--db", dir},
         0,
         "税率种类              协定伙伴  税率  最低  适用国家或地区\n"
         "最惠国税率                      12%         所有国家或地区\n"
         "暂定税率                        10%         所有国家或地区\n"
         "普通税率                        70%         无最惠国待遇的国家或地区\n"
         "协定税率（亚太）      亚太      11%         孟加拉国、印度、老挝、韩国、斯里兰卡、蒙古\n"
         "协定税率（韩国）      韩国      2.4%  ★     韩国\n"
         "协定税率（澳大利亚）  澳大利亚  0%          澳大利亚\n"
         "\n"
         "原产于韩国：最低为协定税率（韩国） 2.4%（需符合原产地规则）；否则适用暂定税率 10%。\n",
         {}},
        // No agreement covers the origin: the provisional rate, below MFN, is the lowest.
        {{"rates", "0201300090", "--origin", "美国", "--format", "csv", "--db", dir},
         0,
         "税率种类,协定伙伴,税率,最低,适用国家或地区\r\n"
         "最惠国税率,,12%,,所有国家或地区\r\n"
         "暂定税率,,10%,★,所有国家或地区\r\n"
         "普通税率,,70%,,无最惠国待遇的国家或地区\r\n"
         "协定税率（亚太）,亚太,11%,,孟加拉国、印度、老挝、韩国、斯里兰卡、蒙古\r\n"
         "协定税率（韩国）,韩国,2.4%,,韩国\r\n"
         "协定税率（澳大利亚）,澳大利亚,0%,,澳大利亚\r\n",
         {}},
        // An agreement above the provisional rate is listed and not chosen; no origin, no mark.
        {{"rates", "0201300090", "--origin", "印度", "--format", "json", "--db", dir},
         0,
         "{\"税率种类\":\"最惠国税率\",\"协定伙伴\":\"\",\"税率\":\"12%\",\"最低\":\"\",\"适用国家或地区\":"
         "\"所有国家或地区\"}\n"
         "{\"税率种类\":\"暂定税率\",\"协定伙伴\":\"\",\"税率\":\"10%\",\"最低\":\"★\",\"适用国家或地区\":"
         "\"所有国家或地区\"}\n"
         "{\"税率种类\":\"普通税率\",\"协定伙伴\":\"\",\"税率\":\"70%\",\"最低\":\"\",\"适用国家或地区\":"
         "\"无最惠国待遇的国家或地区\"}\n"
         "{\"税率种类\":\"协定税率（亚太）\",\"协定伙伴\":\"亚太\",\"税率\":\"11%\",\"最低\":\"\",\"适用国家或地区\":"
         "\"孟加拉国、印度、老挝、韩国、斯里兰卡、蒙古\"}\n"
         "{\"税率种类\":\"协定税率（韩国）\",\"协定伙伴\":\"韩国\",\"税率\":\"2.4%\",\"最低\":\"\",\"适用国家或地区\":"
         "\"韩国\"}\n"
         "{\"税率种类\":\"协定税率（澳大利亚）\",\"协定伙伴\":\"澳大利亚\",\"税率\":\"0%\",\"最低\":\"\","
         "\"适用国家或地区\":\"澳大利亚\"}\n"
         "{\"summary\":\"原产于印度：协定税率不低于暂定税率 10%，适用暂定税率 10%。\"}\n",
         {}},
        {{"rates", "0201300090", "--format", "json", "--db", other}, 1, "", "此数据库未保存按原产地的税率数据。"},
        {{"rates", "0207142101", "--db", dir},
         0,
         "税率种类    协定伙伴  税率        最低  适用国家或地区\n"
         "最惠国税率            0.8元/千克        所有国家或地区\n"
         "普通税率              8.1元/千克        无最惠国待遇的国家或地区\n"
         "\n"
         "请选择原产国（地区）；无协定时适用最惠国税率 0.8元/千克。\n",
         {}},
        {{"rates", "9999", "--db", dir}, 1, "", "此商品编码没有税率数据。"},
        {{"rates", "0201300090", "--origin", "火星", "--db", dir}, 2, "", "未知的原产国（地区）：火星"},
        {{"rates", "--db", dir}, 2, "", "缺少商品编码"},
        {{"rates", "0201", "0202", "--db", dir}, 2, "", "只能给一个商品编码：0202"},
        {{"rates", "0201", "--origin"}, 2, "", "选项 --origin 需要一个值"},
        {{"rates", "0201", "--format", "xml"}, 2, "", "--format 只能是"},
        {{"rates", "0201", "--db", dir + "missing.mdb"}, 2, "", "找不到数据库文件"},
        // Trouble: exit 2, nothing on stdout, a message on stderr.
        {{}, 2, "", "缺少子命令"},
        {{"find"}, 2, "", "未知子命令：find"},
        {{"search", "--code", " . ", "--db", dir}, 2, "", "商品编码和品名不能都为空！"},
        {{"search", "--name"}, 2, "", "选项 --name 需要一个值"},
        {{"search", "--db", "--help"}, 2, "", "商品编码和品名不能都为空！"}, // a folder named --help
        {{"search", "--bogus"}, 2, "", "未知参数：--bogus"},
        {{"search", "--code", "01", "--table", "news"}, 2, "", "--table 只能是"},
        {{"search", "--code", "01", "--format", "xml"}, 2, "", "--format 只能是"},
        {{"search", "--code", "01", "--db", dir + "missing"}, 2, "", "找不到数据库文件"},
        {{"search", "--code", "01", "--db", dir + "missing.mdb"}, 2, "", "找不到数据库文件"},
    };
    for (const Case &c : cases) {
        const std::string what = c.args.join(u' ').toStdString();
        const CliRun r = cli(c.args);
        EXPECT_EQ(r.code, c.code) << what << '\n' << r.err.toStdString();
        EXPECT_EQ(r.out, c.out) << what;
        if (c.err.isEmpty()) EXPECT_EQ(r.err, QString()) << what;
        else EXPECT_TRUE(r.err.contains(c.err)) << what << '\n' << r.err.toStdString();
    }
}

TEST(Cli, HelpAndVersionGoToStdoutAndSucceed) {
    for (const QStringList &args : {QStringList{"--help"}, QStringList{"search", "--help"},
                                    QStringList{"search", "--code", "01", "--help"}, QStringList{"rates", "--help"}}) {
        const CliRun r = cli(args);
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.err, QString());
        for (const char *part :
             {"--code", "--name", "--table", "tariff", "--format", "RFC 4180", "=\"0201300090\"", "--csv", "--db",
              "$XDG_DATA_HOME/zendrik", "退出状态", "  2  出错", "zendrik-cli rates", "--origin"})
            EXPECT_TRUE(r.out.contains(QString::fromUtf8(part))) << part;
    }
    const CliRun v = cli({"--version"});
    EXPECT_EQ(v.code, 0);
    EXPECT_TRUE(v.out.startsWith(QStringLiteral("zendrik-cli ")) && v.out.endsWith(u'\n')) << v.out.toStdString();
}

TEST(Cli, OutputThatCannotBeWrittenIsTrouble) {
    TestDatabase db;
    fill(db);
    fillRates(db);
    for (const QStringList &lookup : {QStringList{"search", "--name", "马"}, QStringList{"rates", "0201300090"}})
        for (const char *format : {"text", "csv", "json"}) {
            const CliRun r = cli(lookup + QStringList{"--format", format, "--db", db.dir()}, "/dev/full");
            EXPECT_EQ(r.code, 2) << lookup[0].toStdString() << ' ' << format;
            EXPECT_TRUE(r.err.contains(QStringLiteral("无法写出结果"))) << format << ' ' << r.err.toStdString();
        }
    EXPECT_EQ(cli({"--help"}, "/dev/full").code, 2);
}

TEST(Cli, CsvReadsBackAsOneTableWithCodesKept) {
    TestDatabase db;
    fill(db);
    const CliRun r = cli({"search", "--code", "01", "--csv", "--db", db.dir()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QList<QStringList> records = readCsv(r.out);
    ASSERT_EQ(records.size(), 1 + 1 + 1 + 3);
    for (const QStringList &record : records)
        EXPECT_EQ(record.size(), records[0].size()) << record.join(u'|').toStdString();
    const QStringList codes{"=\"0101210010\"", "=\"01012100\"", "=\"01012100.10\"", "=\"01012900\"", "=\"01022900\""};
    for (int i = 1; i < records.size(); ++i) EXPECT_EQ(records[i][1], codes[i - 1]);
    EXPECT_EQ(records[2][2], QStringLiteral("马, \"纯种\""));
}

// A result larger than the columns are measured on is printed as it is read and counted at the
// end: every row once, in order, and a name wider than the measured ones widens its column.
TEST(Cli, LargeTextResultStreamsEveryRowAndCountsAtTheEnd) {
    TestDatabase db;
    const QString code = ScrambleCode(QStringLiteral("0101210010"));
    QStringList rows;
    for (int i = 1; i <= 1200; ++i)
        rows << QStringLiteral("insert into case_hs values (%1,'%2','%3','s','2024-01-01','',0,'')")
                    .arg(i)
                    .arg(i == 1100 ? QStringLiteral("马具马具马具马具马具马具马具马具") : QStringLiteral("马%1").arg(i),
                         code);
    db.exec(rows);
    db.closeConnection();
    const CliRun r = cli({"search", "--name", "马", "--table", "cases", "--db", db.dir()});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 1 + 1200 + 1);
    EXPECT_EQ(lines.first(), QStringLiteral("case_hs (500+ rows)"));
    EXPECT_EQ(lines.last(), QStringLiteral("case_hs: 1200 rows"));
    for (int i = 2; i < lines.size() - 1; ++i) EXPECT_TRUE(lines[i].startsWith(QStringLiteral("01012100.10"))) << i;
    // Columns after the name line up before the wide name and again after it, further right.
    const auto specAt = [&](int line) { return CliOutput::displayWidth(lines[line].chopped(1)); };
    EXPECT_EQ(specAt(3), specAt(1000));
    EXPECT_GT(specAt(1150), specAt(1000));
    EXPECT_EQ(specAt(1150), specAt(1190));
}

TEST(Cli, DisplayWidthCountsWideCharactersTwice) {
    EXPECT_EQ(CliOutput::displayWidth(QStringLiteral("abc")), 3);
    EXPECT_EQ(CliOutput::displayWidth(QStringLiteral("钢管")), 4);
    EXPECT_EQ(CliOutput::displayWidth(QStringLiteral("（A）")), 5);
    EXPECT_EQ(CliOutput::displayWidth(QStringLiteral("𠀀x")), 3); // outside the basic plane
}

TEST(Cli, ReadsADatabaseInstalledWhereTheUserMayNotWrite) {
    // A database left in WAL mode in a folder the user cannot write to: no -shm can be made.
    TestDatabase db;
    fill(db);
    db.exec(QStringLiteral("pragma journal_mode=WAL"));
    db.closeConnection();
    ASSERT_FALSE(QFile::exists(db.file() + QStringLiteral("-shm")));
    const QString exe = cliProgram();
    QString program = exe;
    QStringList args{"search", "--code", "0101", "--db", db.dir()};
    if (geteuid() == 0) {
        // root writes anywhere: run the lookup as an unprivileged user instead.
        program = QStringLiteral("setpriv");
        args = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", exe} + args;
        QProcess probe;
        probe.start(program, {"--reuid=65534", "--regid=65534", "--clear-groups", "test", "-x", exe});
        if (!probe.waitForFinished(5000) || probe.exitCode() != 0)
            GTEST_SKIP() << "an unprivileged user cannot run " << exe.toStdString() << " here";
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
