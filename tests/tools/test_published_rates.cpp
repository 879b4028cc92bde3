// Every published rate kept beside the lookup tables, and the report of what changed between
// two tariff editions, on small fixtures in the published export's layout.
#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "dbbuilder/Commands.h"
#include "dbbuilder/EditionDiff.h"
#include "support/Printers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
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

// Runs a statement and returns its rows, through a connection closed again before returning.
QList<QStringList> rows(const QString &db, const QString &sql) {
    QList<QStringList> out;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("rates-reader"));
        c.setDatabaseName(db);
        EXPECT_TRUE(c.open());
        QSqlQuery q(c);
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i) row << (q.value(i).isNull() ? "NULL" : q.value(i).toString());
            out << row;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("rates-reader"));
    return out;
}

const QString kHeader = QStringLiteral(
    "code,name,unit1,unit2,mfn_rate,provisional_rate,general_rate,vat_rate,consumption_tax,export_tax_rate,"
    "export_t8_unidentified,export_rebate_rate,supervision_conditions,inspection_quarantine,declaration_elements,"
    "agreement_亚太,agreement_韩国,agreement_澳大利亚,agreement_东盟,agreement_台湾,agreement_冰岛\n");

// The first edition: beef with several agreements, chicken wings with duties per kilogram
// (one written with a space, as the export does), a line with provisional and export rates.
const QString kEdition1 =
    kHeader +
    "0201300090,其他鲜或冷藏的去骨牛肉,千克,,12%,,70%,9%,0%,,,9%,47ABx,P.R/Q.S,1:品牌类型;2:部位,,2.4,0,0,,\n"
    "0207142101,冻的鸡整翅（翼）,千克,,0.8元/千克,,8.1元/千克,9%,0%,,,9%,7AB4x,P.R/Q.S,1:品名,,,0元/千 克,,,7\n"
    "2601110000,未烧结铁矿砂及其精矿,千克,,0%,,0%,13%,0%,20%,15%,0%,AB,,1:品名,0,0,0,0,,0\n"
    "0301110000,观赏用鲤科鱼,千克,尾,10%,,40%,9%,0%,,,9%,AB,P/Q,1:品名,,,,,,\n";

// The next edition: beef's Korean rate falls and its name changes, the wings take a second unit
// and a provisional rate, iron ore loses its export duty's provisional rate and gains a licence
// condition, the fish goes and a new line comes.
const QString kEdition2 =
    kHeader + "0201300090,鲜或冷藏的去骨牛肉,千克,,12%,,70%,9%,0%,,,9%,47ABx,P.R/Q.S,1:品牌类型;2:部位,,1.2,0,0,,\n"
              "0207142101,冻的鸡整翅（翼）,千克,只,0.8元/千克,0.5元/千克,8.1元/千克,9%,0%,,,9%,7AB4x,P.R/"
              "Q.S,1:品名,,,0元/千 克,,,7\n"
              "2601110000,未烧结铁矿砂及其精矿,千克,,0%,,0%,13%,0%,20%,,0%,4,,1:品名;2:品位,0,0,0,0,,0\n"
              "0301190000,其他活观赏鱼,千克,尾,10%,,40%,9%,0%,,,9%,AB,P/Q,1:品名,,,,,,\n";

struct Editions {
    QTemporaryDir tmp;
    QString path(const QString &name) const { return tmp.path() + u'/' + name; }
    // Loads a tariff export (and the partner countries) into a new database.
    QString build(const QString &name, const QString &tariff) {
        const QString dir = path(name + ".in");
        QDir().mkpath(dir);
        writeFile(dir + "/tariff.csv", tariff);
        writeFile(dir + "/partner-countries.csv", "code,zh\r\n133,韩国\r\n601,澳大利亚\r\n143,中国台湾\r\n");
        Builder::loadDatabase(path(name), dir);
        return path(name);
    }
};

} // namespace

TEST(PublishedRates, EveryRateOfTheExportIsStoredByCode) {
    Editions e;
    const QString db = e.build("one.mdb", kEdition1);
    auto ratesOf = [&](const char *code) {
        return rows(db, "select kind, partner, rate_text, rate_percent from tariff_rate where code='" +
                            ScrambleCode(QString::fromLatin1(code)) + "' order by rowid");
    };
    EXPECT_EQ(ratesOf("0201300090"), (QList<QStringList>{{"mfn", "NULL", "12%", "12"},
                                                         {"general", "NULL", "70%", "70"},
                                                         {"agreement", "韩国", "2.4", "2.4"},
                                                         {"agreement", "澳大利亚", "0", "0"},
                                                         {"agreement", "东盟", "0", "0"}}));
    // Duties per kilogram keep their text and have no number.
    EXPECT_EQ(ratesOf("0207142101"), (QList<QStringList>{{"mfn", "NULL", "0.8元/千克", "NULL"},
                                                         {"general", "NULL", "8.1元/千克", "NULL"},
                                                         {"agreement", "澳大利亚", "0元/千 克", "NULL"},
                                                         {"agreement", "冰岛", "7", "7"}}));
    // Export duty and its provisional rate.
    EXPECT_EQ(rows(db, "select kind, rate_text from tariff_rate where code='" +
                           ScrambleCode(QStringLiteral("2601110000")) + "' and kind like 'export%' order by rowid"),
              (QList<QStringList>{{"export", "20%"}, {"export_provisional", "15%"}}));
    // The lookup tables are filled as before: the numeric MFN column stays Null for a duty per
    // unit, and Korea and Australia have no column in the special-rate table.
    EXPECT_EQ(rows(db, "select low_rate, high_rate from official_hs where hs_code='" +
                           ScrambleCode(QStringLiteral("0207142101")) + "'"),
              (QList<QStringList>{{"NULL", "NULL"}}));
    EXPECT_EQ(rows(db, "select count(*) from hs_dm_tax").first().first(), "3");
    EXPECT_EQ(rows(db, "select code, name from partner_country order by rowid"),
              (QList<QStringList>{{"133", "韩国"}, {"601", "澳大利亚"}, {"143", "中国台湾"}}));
}

TEST(PublishedRates, LoadIntoAnOlderDatabaseAddsTheTables) {
    Editions e;
    const QString db = e.build("old.mdb", kEdition1);
    rows(db, "drop table tariff_rate");
    rows(db, "drop table partner_country");
    Builder::loadDatabase(db, e.path("old.mdb.in"));
    EXPECT_EQ(rows(db, "select count(*) from tariff_rate").first().first(), "20");
    EXPECT_EQ(rows(db, "select count(*) from partner_country").first().first(), "3");
}

TEST(EditionDiff, EachKindOfChange) {
    Editions e;
    const Edition before = readEdition(e.build("2025.mdb", kEdition1));
    const Edition after = readEdition(e.build("2026.mdb", kEdition2));
    QStringList lines;
    for (const EditionChange &c : diffEditions(before, after))
        lines << QStringList{c.code, c.change, c.field, c.before, c.after}.join(u'|');
    EXPECT_EQ(lines, (QStringList{
                         "0201300090|renamed||其他鲜或冷藏的去骨牛肉|鲜或冷藏的去骨牛肉",
                         "0201300090|rate|agreement 韩国|2.4|1.2",
                         "0207142101|rate|provisional||0.5元/千克",
                         "0207142101|unit|unit2||只",
                         "0301110000|removed||观赏用鲤科鱼|",
                         "0301190000|added|||其他活观赏鱼",
                         "2601110000|rate|export_provisional|15%|",
                         "2601110000|conditions||AB|4",
                         "2601110000|elements||1:品名|1:品名;2:品位",
                     }))
        << lines.join('\n').toStdString();
    // Only the user's codes: an 8-digit number covers its 10-digit lines.
    const QList<EditionChange> mine = diffEditions(before, after, {"02071421", "0301110000"});
    ASSERT_EQ(mine.size(), 3);
    EXPECT_EQ(mine[0].code, "0207142101");
    EXPECT_EQ(mine[2].change, "removed");
    EXPECT_TRUE(diffEditions(before, before).isEmpty());
}

TEST(EditionDiff, AnOldDatabaseWithoutPublishedRatesComparesItsNumbers) {
    Editions e;
    const QString old = e.build("elsewhere.mdb", kEdition1);
    rows(old, "drop table tariff_rate");
    const Edition before = readEdition(old);
    EXPECT_EQ(before["0201300090"].rates.value("mfn"), "12%");
    // A duty per unit was never kept by such a database: the new edition shows it as new.
    QStringList wings;
    for (const EditionChange &c : diffEditions(before, readEdition(e.build("new.mdb", kEdition1)), {"0207142101"}))
        wings << c.field + u'=' + c.after;
    EXPECT_EQ(wings, (QStringList{"agreement 冰岛=7", "agreement 澳大利亚=0元/千 克", "general=8.1元/千克",
                                  "mfn=0.8元/千克"}));
}

TEST(EditionDiff, FormatsAndCodeLists) {
    const QList<EditionChange> changes = {{"0201300090", "renamed", "", "牛肉, 鲜", "牛肉"},
                                          {"0207142101", "rate", "mfn", "0.8元/千克", "1元/千克"}};
    EXPECT_EQ(
        formatChanges(changes, DiffFormat::Csv),
        "code,change,field,old,new\n0201300090,renamed,,\"牛肉, 鲜\",牛肉\n0207142101,rate,mfn,0.8元/千克,1元/千克\n");
    const QString text = formatChanges(changes, DiffFormat::Text);
    EXPECT_TRUE(text.contains("0207142101 税率 mfn：0.8元/千克 -> 1元/千克\n")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("名称 1 处，税率 1 处\n")) << text.toStdString();
    const QJsonArray json = QJsonDocument::fromJson(formatChanges(changes, DiffFormat::Json).toUtf8()).array();
    ASSERT_EQ(json.size(), 2);
    EXPECT_EQ(json[1].toObject()["new"].toString(), "1元/千克");
    EXPECT_THROW(diffFormat("xml"), AppError);

    QTemporaryDir tmp;
    writeFile(tmp.path() + "/codes.txt", "# my codes\n0201300090\n\n02071421  # wings\n");
    EXPECT_EQ(readCodeList(tmp.path() + "/codes.txt"), (QStringList{"0201300090", "02071421"}));
    writeFile(tmp.path() + "/bad.txt", "0201300090\n牛肉\n");
    try {
        readCodeList(tmp.path() + "/bad.txt");
        ADD_FAILURE() << "a name in a code list was accepted";
    } catch (const AppError &error) {
        EXPECT_TRUE(error.message().endsWith("bad.txt:2: “牛肉”不是商品编码")) << error.message().toStdString();
    }
}

TEST(EditionDiff, CommandLineLeavesBothFilesAsTheyWere) {
    const QString tool = QCoreApplication::applicationDirPath() + "/zendrik-dbbuilder";
    Editions e;
    const QString older = e.build("2025.mdb", kEdition1), newer = e.build("2026.mdb", kEdition2);
    const QStringList before = QDir(e.tmp.path()).entryList(QDir::Files);
    QFile f(older);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    f.close();
    auto run = [&](const QStringList &args, int expected) {
        QProcess p;
        p.start(tool, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), expected) << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    const QString csv = run({"diff", older, newer, "--format", "csv"}, 0);
    EXPECT_TRUE(csv.contains("0201300090,rate,agreement 韩国,2.4,1.2\n")) << csv.toStdString();
    EXPECT_EQ(QDir(e.tmp.path()).entryList(QDir::Files), before);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), bytes);
    f.close();
    run({"diff", older, newer, "--format", "xml"}, 2);
    run({"diff", older, e.path("missing.mdb")}, 1);

    // Loading the next edition over the first reports what it changed.
    run({"load", older, e.path("2026.mdb.in"), "--diff", "--codes", e.path("codes.txt")}, 1); // no such list
    writeFile(e.path("codes.txt"), "0301\n");
    const QString report = run({"load", older, e.path("2026.mdb.in"), "--diff", "--codes", e.path("codes.txt")}, 0);
    EXPECT_EQ(report, "0301110000 删除：观赏用鲤科鱼\n0301190000 新增：其他活观赏鱼\n新增 1 处，删除 1 处\n");
    EXPECT_TRUE(run({"diff", older, newer}, 0).startsWith("无变化"));
}
