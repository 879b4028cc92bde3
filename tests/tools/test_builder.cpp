// The database builder against real SQLite files: CSV loading, the demo data set, the
// synthetic generator and the command-line tool.
#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "dbbuilder/Commands.h"
#include "dbbuilder/Csv.h"
#include "dbbuilder/Rates.h"
#include "tools/Generate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QString &text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

QByteArray readBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Reads a database file through its own connection, closed again when the reader goes.
class Reader {
public:
    explicit Reader(const QString &path) : name_(QStringLiteral("reader%1").arg(++count_)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        EXPECT_TRUE(db.open());
    }
    ~Reader() {
        QSqlDatabase::database(name_, false).close();
        QSqlDatabase::removeDatabase(name_);
    }
    QList<QVariantList> rows(const QString &sql) const {
        QSqlQuery q(QSqlDatabase::database(name_));
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
        QList<QVariantList> out;
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i) row << q.value(i);
            out << row;
        }
        return out;
    }
    QVariant scalar(const QString &sql) const {
        const auto r = rows(sql);
        return r.isEmpty() ? QVariant() : r.first().first();
    }
    int count(const QString &table) const { return scalar(QStringLiteral("select count(*) from ") + table).toInt(); }
    int columns(const QString &table) const { return QSqlDatabase::database(name_).record(table).count(); }

private:
    QString name_;
    static inline int count_ = 0;
};

const QString kTariffHeader =
    QStringLiteral("code,name,unit1,unit2,mfn_rate,provisional_rate,general_rate,vat_rate,consumption_tax,"
                   "export_tax_rate,export_t8_unidentified,export_rebate_rate,supervision_conditions,"
                   "inspection_quarantine,declaration_elements,agreement_亚太,agreement_东盟,agreement_台湾,"
                   "agreement_瑞士\n");

// A small directory in the published layouts, with the awkward cases: a quoted name with a
// comma, an apostrophe, a duty per litre, a rebate of several rates, a line without any
// agreement or export rate.
struct Fixture {
    QTemporaryDir tmp;
    QString dir() const { return tmp.path() + QStringLiteral("/in"); }
    QString db() const { return tmp.path() + QStringLiteral("/quorvel.mdb"); }

    Fixture() {
        QDir().mkpath(dir());
        writeFile(dir() + "/tariff.csv",
                  kTariffHeader +
                      "0409000000,天然蜂蜜,千克,,15%,,80%,9%,0%,,,9%,AB,R/S,1:品名;2:品牌类型,5.2,0,,0\n"
                      "2203000000,\"麦芽酿造的啤酒,瓶装\",升,千克,0元/升,,7.5元/升,13%,0%,,,13%,AB,R/S,1:品名,,,,\n"
                      "6203429090,Levi's 男式长裤,条,千克,6%,,90%,13%,0%,20%,5%,\"9%,13%\",,,,,0,0,\n");
        writeFile(dir() + "/licences.csv",
                  "code,name,applies_import,applies_export\n4,出口许可证,0,1\n7,自动进口许可证,1,0\n"
                  "A,入境货物通关单,1,0\nB,出境货物通关单,0,1\nv,自动进口许可证（加工贸易）,1,0\n"
                  "x,出口许可证（加工贸易）,0,1\ny,出口许可证（边境小额贸易）,0,1\n");
        writeFile(dir() + "/trade-modes.csv",
                  "code,short_name,full_name\n0110,一般贸易,一般贸易\n0214,来料加工,来料加工\n"
                  "4019,边境小额,边境小额贸易\n");
        writeFile(dir() + "/rulings.csv", "code,name,spec\n04090000,椴树蜂蜜,\"该商品为天然蜂蜜，\n桶装。\"\n");
        writeFile(dir() + "/cases.csv", "code,name,spec,date,source\n0409000000,蜂蜜,0|0|食用,2024-03-05,报关单\n"
                                        "6203429090,O'Neil长裤,0|0|棉,2025-11-30,\n");
    }
};

TEST(BuilderRates, PlainPercentagesOnly) {
    const struct {
        const char *text;
        std::optional<double> value;
    } cases[] = {{"10%", 10},
                 {"6.5%", 6.5},
                 {"0%", 0},
                 {"13", 13},
                 {" 8% ", 8},
                 {"", std::nullopt},
                 {"7.5元/升", std::nullopt},
                 {"9%,13%", std::nullopt},
                 {"20%+0.912元/升", std::nullopt},
                 {"%", std::nullopt}};
    for (const auto &c : cases) EXPECT_EQ(percentRate(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(BuilderCsv, QuotesCommasAndLineNumbers) {
    const CsvFile csv = CsvFile::parse(QStringLiteral("\xFEFF"
                                                      "a,b\r\n\"x,1\",\"say \"\"hi\"\"\"\n\n"
                                                      "\"two\nlines\",z\nlast,\n"),
                                       QStringLiteral("t.csv"));
    EXPECT_EQ(csv.header(), QStringList({"a", "b"}));
    ASSERT_EQ(csv.records().size(), 3u);
    EXPECT_EQ(csv.records()[0].fields, QStringList({"x,1", "say \"hi\""}));
    EXPECT_EQ(csv.records()[0].line, 2);
    EXPECT_EQ(csv.records()[1].fields, QStringList({"two\nlines", "z"}));
    EXPECT_EQ(csv.records()[1].line, 4);
    EXPECT_EQ(csv.records()[2].fields, QStringList({"last", ""}));
    EXPECT_EQ(csv.records()[2].line, 6);
}

TEST(BuilderLoad, TariffRowsStoredScrambledWithParsedRates) {
    Fixture f;
    const LoadSummary s = Builder::loadDatabase(f.db(), f.dir());
    EXPECT_EQ(s.filesLoaded, 5);
    EXPECT_TRUE(s.notes.join('\n').contains("news.csv：没有找到"));

    Reader r(f.db());
    const auto rows = r.rows("select hs_code, name, spec, low_rate, high_rate, reg_rate, tax_rate, "
                             "unit1, unit2, lice from official_hs order by id");
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0][0].toString(), ScrambleCode(QStringLiteral("0409000000")));
    EXPECT_EQ(UnscrambleCode(rows[0][0].toString()), "0409000000");
    EXPECT_EQ(rows[0][2].toString(), "1:品名;2:品牌类型");
    EXPECT_EQ(rows[0][3].toDouble(), 15);
    EXPECT_EQ(rows[0][4].toDouble(), 80);
    EXPECT_EQ(rows[0][5].toDouble(), 9);
    EXPECT_EQ(rows[0][6].toDouble(), 9);
    EXPECT_EQ(rows[0][7].toString(), "千克");
    EXPECT_TRUE(rows[0][8].isNull());
    EXPECT_EQ(rows[0][9].toString(), "AB");
    // A duty per litre has no percentage: Null, not 0 or 7.5.
    EXPECT_EQ(rows[1][1].toString(), "麦芽酿造的啤酒,瓶装");
    EXPECT_TRUE(rows[1][3].isNull());
    EXPECT_TRUE(rows[1][4].isNull());
    EXPECT_EQ(rows[1][5].toDouble(), 13);
    EXPECT_EQ(rows[2][1].toString(), "Levi's 男式长裤");
    EXPECT_TRUE(rows[2][5].isNull()); // "9%,13%"
    EXPECT_TRUE(rows[2][9].isNull());

    // Special rates: rows for lines with an agreement or export rate, under the 8-digit number
    // that the special-rate view looks up; rates as published.
    const auto special = r.rows("select code, name, low_tax, yatai_tax, wl_tax, xjp_tax, yuen_tax, "
                                "ecfa, EX_OFFICIAL_TAX, EX_ZD_TAX from hs_dm_tax order by cast(id as integer)");
    ASSERT_EQ(special.size(), 2);
    EXPECT_EQ(special[0][0].toString(), ScrambleCode(QStringLiteral("04090000")));
    EXPECT_EQ(special[0][2].toString(), "15%");
    EXPECT_EQ(special[0][3].toString(), "5.2");
    for (int c : {4, 5, 6}) EXPECT_EQ(special[0][c].toString(), "0") << c;
    EXPECT_TRUE(special[0][7].isNull());
    EXPECT_EQ(UnscrambleCode(special[1][0].toString()), "62034290");
    EXPECT_EQ(special[1][7].toString(), "0");
    EXPECT_EQ(special[1][8].toString(), "20%");
    EXPECT_EQ(special[1][9].toString(), "5%");
}

// The trade-mode file has no conditions column: every trade mode is stored without conditions
// rather than with conditions made up from its name.
TEST(BuilderLoad, OtherTablesAndNoInventedTradeConditions) {
    Fixture f;
    const LoadSummary summary = Builder::loadDatabase(f.db(), f.dir());
    EXPECT_TRUE(summary.notes.contains("trade-modes.csv：没有监管条件列，贸易方式已导入，但不带监管条件"))
        << summary.notes.join('\n').toStdString();
    Reader r(f.db());
    EXPECT_EQ(r.count("hs_licensed"), 7);

    const auto modes = r.rows("select abbr_trade, ex_control from hs_trade");
    ASSERT_EQ(modes.size(), 3);
    for (const auto &mode : modes) EXPECT_TRUE(mode[1].isNull()) << mode[0].toString().toStdString();

    const auto ruling = r.rows("select code_t, g_name, class_spec from hs_classify");
    ASSERT_EQ(ruling.size(), 1);
    EXPECT_EQ(UnscrambleCode(ruling[0][0].toString()), "04090000");
    EXPECT_EQ(ruling[0][2].toString(), "该商品为天然蜂蜜，\n桶装。");

    ASSERT_EQ(r.columns("case_hs"), 8);
    const auto cases = r.rows("select * from case_hs order by id");
    ASSERT_EQ(cases.size(), 2);
    EXPECT_EQ(cases[1].mid(0, 7), QVariantList({2, "O'Neil长裤", ScrambleCode(QStringLiteral("6203429090")), "0|0|棉",
                                                "2025-11-30", "2025-11-30", 0}));
    EXPECT_TRUE(cases[1][7].isNull()); // no source given
    EXPECT_EQ(r.scalar("pragma journal_mode").toString(), "wal");
    EXPECT_GT(r.count("sqlite_stat1"), 0); // analysed
}

TEST(BuilderLoad, LoadingAgainReplacesRows) {
    Fixture f;
    Builder::loadDatabase(f.db(), f.dir());
    Builder::loadDatabase(f.db(), f.dir());
    Reader r(f.db());
    EXPECT_EQ(r.count("official_hs"), 3);
    EXPECT_EQ(r.count("hs_dm_tax"), 2);
    EXPECT_EQ(r.count("case_hs"), 2);
    // The loaded cases in code order, the order recorded to their end.
    EXPECT_EQ(r.rows("select rowid from case_hs order by code"), r.rows("select rowid from case_hs order by rowid"));
    EXPECT_EQ(r.scalar("select clustered_to from case_hs_order").toInt(), 2);
}

// Cases imported after the build, out of code order, are put in order again, the name index
// rebuilt with them; the order's record covers them.
TEST(BuilderTool, ClusterPutsImportedCasesInCodeOrder) {
    QTemporaryDir tmp;
    const QString db = tmp.path() + "/gen.mdb";
    ASSERT_TRUE(generateNew(db, 50, 0, 300));
    {
        Reader r(db);
        r.rows(
            QStringLiteral("insert into case_hs (id, name, code) values (900, '后到钢材', '%1'), (901, '后到', '%2')")
                .arg(ScrambleCode(QStringLiteral("9999999999")), ScrambleCode(QStringLiteral("0000000001"))));
        EXPECT_EQ(r.scalar("select clustered_to from case_hs_order").toInt(), 300);
    }
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + "/zendrik-dbbuilder", {"cluster", db});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    Reader r(db);
    EXPECT_EQ(r.rows("select rowid from case_hs order by code"), r.rows("select rowid from case_hs order by rowid"));
    EXPECT_EQ(r.scalar("select clustered_to from case_hs_order").toInt(), 302);
    EXPECT_EQ(r.rows("select rowid from case_hs_name_index where case_hs_name_index match '后到'"),
              r.rows("select rowid from case_hs where id in (900, 901) order by rowid"));
    EXPECT_EQ(r.rows("select name from sqlite_master where type = 'trigger' order by name"),
              (QList<QVariantList>{{"case_hs_name_index_delete"},
                                   {"case_hs_name_index_insert"},
                                   {"case_hs_name_index_update"},
                                   {"case_hs_order_delete"},
                                   {"case_hs_order_update"}}));
    EXPECT_EQ(r.rows("select name from sqlite_master where type = 'index' and tbl_name = 'case_hs' order by name"),
              (QList<QVariantList>{{"case_hs_code"}, {"case_hs_update_date"}}));
    r.rows("insert into case_hs_name_index(case_hs_name_index) values ('integrity-check')");

    QProcess missing;
    missing.start(QCoreApplication::applicationDirPath() + "/zendrik-dbbuilder", {"cluster", tmp.path() + "/no.mdb"});
    ASSERT_TRUE(missing.waitForFinished(60000));
    EXPECT_EQ(missing.exitCode(), 1);
    EXPECT_FALSE(QFile::exists(tmp.path() + "/no.mdb"));
}

TEST(BuilderLoad, BadRowFailsWithFileAndLineAndWritesNothing) {
    const struct {
        const char *file;
        const char *text;
        const char *message;
    } cases[] = {
        {"tariff.csv",
         "0101210090,马,千克,头,0%,,0%,9%,0%,,,0%,AB,P/Q,1:品名,,0,,\n"
         "0102210000,牛,千克\n",
         "tariff.csv:3: 应有 19 列，实有 3 列"},
        {"tariff.csv", "01A2210000,牛,千克,头,0%,,0%,9%,0%,,,0%,AB,P/Q,1:品名,,0,,\n",
         "tariff.csv:2: 商品编码“01A2210000”不是 4 到 10 位数字"},
        {"rulings.csv", "0409000000,\"two\nlines\",x\n0409,,x\n", "rulings.csv:4: 品名为空"},
        {"cases.csv", "0409000000,蜂蜜,x,2024-3-5,报关单\n", "cases.csv:2: 日期“2024-3-5”不是 YYYY-MM-DD 格式"},
        {"cases.csv", "0409000000,蜂蜜,x,2024-02-30,报关单\n", "cases.csv:2: 日期“2024-02-30”"},
        {"licences.csv", "AB,两个字符,1,0\n", "licences.csv:2: 监管证件代码“AB”不是一个字符"},
        {"news.csv", "1,\"open quote\n", "news.csv:2: 引号没有闭合"},
    };
    const QHash<QString, QString> headers = {
        {"tariff.csv", kTariffHeader},
        {"rulings.csv", "code,name,spec\n"},
        {"cases.csv", "code,name,spec,date,source\n"},
        {"licences.csv", "code,name,applies_import,applies_export\n"},
        {"news.csv", "id,title\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        Fixture f;
        Builder::loadDatabase(f.db(), f.dir()); // an existing database with rows
        const QString file = QString::fromLatin1(c.file);
        writeFile(f.dir() + '/' + file, headers[file] + QString::fromUtf8(c.text));
        try {
            Builder::loadDatabase(f.db(), f.dir());
            ADD_FAILURE() << "no error";
        } catch (const AppError &e) {
            EXPECT_TRUE(e.message().startsWith(QString::fromUtf8(c.message))) << e.message().toStdString();
        }
        Reader r(f.db());
        EXPECT_EQ(r.count("official_hs"), 3);
        EXPECT_EQ(r.count("hs_classify"), 1);
        EXPECT_EQ(r.count("case_hs"), 2);
        EXPECT_EQ(r.count("hs_licensed"), 7);

        // Into a new file: no file is left behind.
        const QString fresh = f.tmp.path() + "/fresh.mdb";
        EXPECT_THROW(Builder::loadDatabase(fresh, f.dir()), AppError);
        EXPECT_FALSE(QFile::exists(fresh));
        EXPECT_FALSE(QFile::exists(fresh + ".building"));
    }
}

TEST(BuilderLoad, EmptyDirectoryIsAnError) {
    QTemporaryDir tmp;
    EXPECT_THROW(Builder::loadDatabase(tmp.path() + "/x.mdb", tmp.path()), AppError);
    EXPECT_FALSE(QFile::exists(tmp.path() + "/x.mdb"));
}

TEST(BuilderDemo, DemoDatabaseContents) {
    QTemporaryDir tmp;
    const QString db = tmp.path() + "/quorvel.mdb";
    ASSERT_TRUE(Builder::buildDemo(db, Builder::Existing::Refuse));
    Reader r(db);
    EXPECT_GE(r.count("official_hs"), 120);
    EXPECT_GE(r.count("hs_classify"), 40);
    EXPECT_GE(r.count("case_hs"), 60);
    EXPECT_GE(r.scalar("select count(distinct code) from hs_dm_tax").toInt(), 30);
    EXPECT_GE(r.count("hs_trade"), 20);
    EXPECT_GE(r.count("hs_licensed"), 20);
    EXPECT_GE(r.count("news"), 4);
    EXPECT_LE(r.count("news"), 6);
    EXPECT_EQ(r.rows("select type from news_ad"), QList<QVariantList>{QVariantList{QStringLiteral("0")}});
    EXPECT_GE(r.scalar("select count(distinct substr(hs_code, 1, 4)) from official_hs").toInt(), 40);

    // Every stored code is scrambled digits: 10 in the tariff and cases, 8 in special rates.
    const QRegularExpression digits("^[0-9]{8}([0-9]{2})?$");
    for (const char *sql : {"select hs_code from official_hs", "select code_t from hs_classify",
                            "select code from case_hs", "select code from hs_dm_tax"}) {
        for (const auto &row : r.rows(QString::fromLatin1(sql))) {
            const QString plain = UnscrambleCode(row[0].toString());
            EXPECT_TRUE(digits.match(plain).hasMatch()) << sql << ": " << plain.toStdString();
        }
    }
    EXPECT_EQ(r.columns("case_hs"), 8);
    EXPECT_EQ(r.columns("news"), 2);
    EXPECT_EQ(r.columns("news_ad"), 3);
    for (const auto &row : r.rows("select update_date, input_date, state from case_hs")) {
        EXPECT_TRUE(isIsoDate(row[0].toString())) << row[0].toString().toStdString();
        EXPECT_EQ(row[1], row[0]);
        EXPECT_EQ(row[2].toInt(), 0);
    }
    // Detail lookups find tariff rows for every case code.
    EXPECT_EQ(r.scalar("select count(*) from case_hs where code not in (select hs_code from official_hs)").toInt(), 0);
    EXPECT_EQ(r.scalar("pragma journal_mode").toString(), "wal");
}

TEST(BuilderDemo, ExistingFilesAreKeptOrRefused) {
    QTemporaryDir tmp;
    const QString db = tmp.path() + "/quorvel.mdb";
    writeFile(db, "user data, not to be lost");
    EXPECT_FALSE(Builder::buildDemo(db, Builder::Existing::Keep));
    EXPECT_EQ(readBytes(db), "user data, not to be lost");
    EXPECT_THROW(Builder::buildDemo(db, Builder::Existing::Refuse), AppError);
    EXPECT_THROW(Builder::createDatabase(db, Builder::Existing::Refuse), AppError);
    EXPECT_EQ(readBytes(db), "user data, not to be lost");

    // Replacing takes a stale WAL of the old file with it.
    writeFile(db + "-wal", "stale");
    EXPECT_TRUE(Builder::createDatabase(db, Builder::Existing::Replace));
    EXPECT_FALSE(QFile::exists(db + "-wal"));
    Reader r(db);
    EXPECT_EQ(r.count("official_hs"), 0);
    EXPECT_EQ(r.columns("hs_dm_tax"), 28);
}

TEST(BuilderGenerate, SmallCountsGiveExactlyThoseRows) {
    QTemporaryDir tmp;
    const QString db = tmp.path() + "/gen.mdb";
    ASSERT_TRUE(generateNew(db, 300, 40, 500, 42));
    Reader r(db);
    EXPECT_EQ(r.count("official_hs"), 300);
    EXPECT_EQ(r.count("hs_classify"), 40);
    EXPECT_EQ(r.count("case_hs"), 500);
    EXPECT_GT(r.count("hs_dm_tax"), 0);
    EXPECT_GT(r.count("hs_trade"), 0);
    EXPECT_GT(r.count("hs_licensed"), 0);
    EXPECT_GT(r.count("news"), 0);
    EXPECT_EQ(r.rows("select type from news_ad"), QList<QVariantList>{QVariantList{QStringLiteral("0")}});
    EXPECT_EQ(r.scalar("select count(distinct hs_code) from official_hs").toInt(), 300);
    for (const auto &row : r.rows("select code, update_date, input_date, state, source from case_hs")) {
        EXPECT_EQ(UnscrambleCode(row[0].toString()).size(), 10);
        EXPECT_TRUE(isIsoDate(row[1].toString()));
        EXPECT_EQ(row[2], row[1]);
        EXPECT_EQ(row[3].toInt(), 0);
        EXPECT_FALSE(row[4].toString().isEmpty());
    }
    // Names are Chinese; the same seed gives the same rows.
    EXPECT_TRUE(
        r.scalar("select name from official_hs where id = 1").toString().contains(QRegularExpression("\\p{Han}")));
    // Stored in code order, recorded up to the last row.
    EXPECT_EQ(r.scalar("select count(*) from case_hs a join case_hs b on b.rowid = a.rowid + 1 where b.code < a.code")
                  .toInt(),
              0);
    EXPECT_EQ(r.scalar("select clustered_to from case_hs_order").toInt(), 500);
    const QString other = tmp.path() + "/gen2.mdb";
    generateNew(other, 300, 40, 500, 42);
    Reader r2(other);
    EXPECT_EQ(r.rows("select * from case_hs order by id"), r2.rows("select * from case_hs order by id"));

    EXPECT_THROW(generateNew(tmp.path() + "/none.mdb", 0, 40, 500, 42), AppError);
    EXPECT_FALSE(QFile::exists(tmp.path() + "/none.mdb"));
}

// The published export's folder loads as it is, in one step: the files under their published
// names, the newest tariff year chosen, and trade modes without conditions, as the tool says.
TEST(BuilderTool, PublishedExportFolder) {
    Fixture f;
    const QString published = f.tmp.path() + "/published";
    QDir().mkpath(published);
    QFile::copy(f.dir() + "/tariff.csv", published + "/cn-tariff-2026.csv");
    writeFile(published + "/cn-tariff-2025.csv", kTariffHeader + "0101210010,旧税则,千克,,0%,,0%,9%,0%,,,0%,,,,,,,\n");
    QFile::copy(f.dir() + "/licences.csv", published + "/cn-licence-documents.csv");
    QFile::copy(f.dir() + "/trade-modes.csv", published + "/cn-trade-modes-2018.csv");
    writeFile(published + "/cn-partner-countries.csv", "code,zh\n101,阿富汗\n"); // not one of the builder's

    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + "/zendrik-dbbuilder", {"load", f.db(), published});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    ASSERT_EQ(p.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains("cn-tariff-2026.csv：3 行导入 official_hs")) << err.toStdString();
    EXPECT_TRUE(err.contains("cn-trade-modes-2018.csv：没有监管条件列")) << err.toStdString();

    Reader r(f.db());
    EXPECT_EQ(r.count("official_hs"), 3);
    EXPECT_EQ(r.count("hs_licensed"), 7);
    EXPECT_EQ(r.scalar("select count(*) from hs_trade where ex_control is not null").toInt(), 0);
    EXPECT_EQ(r.count("hs_trade"), 3);
}

// The tool itself: exit codes, and demo --if-missing leaving an existing file alone.
TEST(BuilderTool, CommandLine) {
    const QString tool = QCoreApplication::applicationDirPath() + "/zendrik-dbbuilder";
    ASSERT_TRUE(QFile::exists(tool));
    QTemporaryDir tmp;
    const QString db = tmp.path() + "/quorvel.mdb";
    auto run = [&](const QStringList &args) {
        QProcess p;
        p.start(tool, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return p.exitCode();
    };
    EXPECT_EQ(run({"demo", db, "--if-missing"}), 0);
    ASSERT_TRUE(QFile::exists(db));
    const QByteArray built = readBytes(db);
    writeFile(db, "keep me");
    EXPECT_EQ(run({"demo", db, "--if-missing"}), 0);
    EXPECT_EQ(readBytes(db), "keep me");
    EXPECT_EQ(run({"demo", db}), 1);
    EXPECT_EQ(run({"create", db}), 1);
    EXPECT_EQ(readBytes(db), "keep me");
    EXPECT_EQ(run({"demo", db, "--force"}), 0);
    EXPECT_EQ(readBytes(db).size(), built.size());
    EXPECT_EQ(run({"generate", tmp.path() + "/g.mdb", "--tariff", "5"}), 2); // --rulings missing
    EXPECT_EQ(run({"frobnicate"}), 2);
    EXPECT_EQ(run({"load", tmp.path() + "/l.mdb", tmp.path() + "/no-such-folder"}), 1);
    EXPECT_FALSE(QFile::exists(tmp.path() + "/l.mdb"));
}

} // namespace
