// The description search on both stores: descriptions read as declarants write them (traditional
// characters, full-width letters, pinyin, synonyms, noise) find the lines the plain words find;
// the declaration history speaks through the evidence the import keeps in step, the same on the
// file and the server and the same as the builder counts it afresh.
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "suggest/SuggestEvidence.h"
#include "suggest/SuggestIndex.h"
#include "suggest/SuggestWords.h"
#include "support/StoreFixture.h"
#include "support/UpdateFile.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QList<std::pair<const char *, const char *>> kTariff{
    {"0202200090", "其他冻藏的带骨牛肉"}, {"0201300090", "其他鲜或冷藏的去骨牛肉"},
    {"0203290090", "其他冻藏猪肉"},       {"8507600090", "其他锂离子蓄电池"},
    {"8507200000", "其他铅酸蓄电池"},     {"8539522000", "发光二极管（LED）灯管"},
    {"8467290000", "其他手提式电动工具"}, {"8467210000", "手提式电动钻孔工具"},
    {"8517130000", "智能手机"},           {"6109100000", "棉制针织或钩编的T恤衫"},
    {"9503008900", "其他玩具"},           {"8516101000", "即热式电热水器"},
    {"6702100000", "塑料制的人造花"},     {"3304990099", "其他美容品或化妆品及护肤品"},
};

QStringList tariffRows() {
    QStringList out;
    int id = 0;
    for (const auto &[code, name] : kTariff)
        out << QStringLiteral("insert into official_hs (id, hs_code, name, low_rate) values (%1, '%2', '%3', 10)")
                   .arg(++id)
                   .arg(ScrambleCode(QString::fromLatin1(code)), QString::fromUtf8(name));
    return out;
}

class Suggest : public ::testing::TestWithParam<StoreKind> {
protected:
    void SetUp() override {
        fixture = std::make_unique<StoreFixture>(GetParam());
        SKIP_WITHOUT_STORE(*fixture);
        fixture->exec(tariffRows());
        connection.setConnectionString(fixture->connectionString());
    }

    QString firstCode(const QString &description) {
        const QList<Suggestion> found = SuggestIndex(connection).suggest(description, 10);
        return found.isEmpty() ? QStringLiteral("(none)") : found.first().code;
    }

    void import(const QList<Rec> &records) {
        QString body;
        for (const Rec &r : records) body += recordXml(r);
        QFile f(files.filePath(QStringLiteral("update%1.xml").arg(++fileCount)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<cases>\n%1</cases>\n").arg(body).toUtf8());
        f.close();
        ASSERT_EQ(importError(connection, f.fileName()), QStringLiteral("(no error)"));
    }

    // The evidence table as "term|code|cases|rulings", sorted.
    QStringList evidence() {
        QSqlQuery q(connection.database());
        EXPECT_TRUE(q.exec(
            QStringLiteral("select term, code, sum(cases), sum(rulings) from suggest_evidence group by term, code")));
        QStringList out;
        while (q.next())
            out << QStringLiteral("%1|%2|%3|%4")
                       .arg(q.value(0).toString(), UnscrambleCode(q.value(1).toString()), q.value(2).toString(),
                            q.value(3).toString());
        out.sort();
        return out;
    }

    std::unique_ptr<StoreFixture> fixture;
    Connection connection{QStringLiteral("suggest")};
    QTemporaryDir files;
    int fileCount = 0;
};

} // namespace

// Each description against the line its plain simplified words find first.
TEST_P(Suggest, DescriptionsAsDeclarantsWriteThem) {
    const struct {
        const char *description, *expected;
    } cases[] = {
        {"冻藏带骨牛肉", "0202200090"},
        {"冷凍帶骨牛肉", "0202200090"}, // traditional, and 冷冻 for the tariff's 冻藏
        {"冻藏带骨牛肉 草饲 精修 A级 10kg/箱 厂号WB12345", "0202200090"}, // noise weighs nothing
        {"澳洲牌冻藏带骨牛肉", "0202200090"}, // a brand before 牌
        {"dongcang daigu niurou", "0202200090"}, // full pinyin
        {"锂电池", "8507600090"}, // a synonym: the tariff says 锂离子蓄电池
        {"ＬＥＤ灯管", "8539522000"}, // full-width letters
        {"led灯管", "8539522000"},
        {"手机", "8517130000"},
        {"纯棉针织T恤", "6109100000"},
        {"手机 O'Brien \\ 100%", "8517130000"}, // quotes, backslashes and wildcards are only text
    };
    for (const auto &c : cases)
        EXPECT_EQ(firstCode(QString::fromUtf8(c.description)), QLatin1String(c.expected)) << c.description;
}

TEST_P(Suggest, PinyinInitialsAndTraditionalFindWhatSimplifiedFinds) {
    const SuggestIndex index(connection);
    const auto codes = [&](const char *description) {
        QStringList out;
        for (const Suggestion &s : index.suggest(QString::fromUtf8(description), 5)) out << s.code;
        return out;
    };
    EXPECT_EQ(codes("niurou"), codes("牛肉"));
    EXPECT_EQ(codes("zhuroou"), QStringList()); // neither pinyin nor a known word: nothing
    EXPECT_EQ(codes("zr"), codes("猪肉"));
    EXPECT_EQ(codes("鋰離子蓄電池"), codes("锂离子蓄电池"));
    // Words in capitals are models and brands, not pinyin: RE is not 热, GSB not 工塑…
    EXPECT_EQ(codes("电动工具 GSB 13 RE 650W"), codes("电动工具"));
    EXPECT_NE(codes("re"), codes("电动工具"));
}

TEST_P(Suggest, NothingToGoByGivesNothing) {
    const SuggestIndex index(connection);
    for (const char *d : {"", "   ", "10kg/箱", "WB12345 2024", "%_'\\", "完全无关词语"})
        EXPECT_TRUE(index.suggest(QString::fromUtf8(d), 10).isEmpty()) << d;
}

TEST_P(Suggest, MatchedWordsAndPlacesInTheName) {
    const QList<Suggestion> found = SuggestIndex(connection).suggest(QStringLiteral("冷冻带骨牛肉"), 1);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0].name, QStringLiteral("其他冻藏的带骨牛肉"));
    EXPECT_EQ(found[0].matched, (QStringList{"冻藏", "带骨牛肉"}));
    EXPECT_EQ(found[0].spans, (QList<std::pair<int, int>>{{2, 2}, {5, 4}}));
    EXPECT_EQ(found[0].rate, QStringLiteral("10"));
}

// Only the history says that 批头 go under 8467.29: after an import it does; the cases are
// counted, and a misspelt brand of the history is read as the brand.
TEST_P(Suggest, ImportedCasesBecomeEvidence) {
    EXPECT_EQ(firstCode(QStringLiteral("批头")), QStringLiteral("(none)"));
    import({{"8467210000", "bosch牌电钻", "手提式", "2024-01-01", "s"},
            {"8467210000", "充电式电钻", "手提式", "2024-01-02", "s"},
            {"8467210000", "电钻", "手提式", "2024-01-03", "s"},
            { "8467290000",
              "电动批头",
              "手提式",
              "2024-01-04",
              "s" }});
    EXPECT_EQ(firstCode(QStringLiteral("批头")), QStringLiteral("8467290000"));
    const QList<Suggestion> found = SuggestIndex(connection).suggest(QStringLiteral("电钻 650W"), 10);
    ASSERT_FALSE(found.isEmpty());
    EXPECT_EQ(found[0].code, QStringLiteral("8467210000"));
    EXPECT_EQ(found[0].cases, 3);
    EXPECT_EQ(found[0].rulings, 0);
    EXPECT_EQ(firstCode(QStringLiteral("bosh")), QStringLiteral("8467210000"));

    // A second import adds to the counts.
    import({{ "8467210000", "冲击电钻", "手提式", "2024-02-01", "s" }});
    EXPECT_EQ(SuggestIndex(connection).suggest(QStringLiteral("电钻"), 1).value(0).cases, 4);
    EXPECT_TRUE(evidence().contains("电钻|84672100|4|0"));
    EXPECT_TRUE(evidence().contains("|84672100|4|0")); // the code's total
}

INSTANTIATE_TEST_SUITE_P(Stores, Suggest, ::testing::Values(StoreKind::File, StoreKind::Server),
                         [](const auto &param) { return storeName(param.param); });

// The builder's count from scratch equals what the imports added up, rulings included.
TEST(SuggestEvidence, RebuildCountsWhatImportsAdded) {
    StoreFixture fixture(StoreKind::File);
    fixture.exec(tariffRows());
    fixture.exec({QStringLiteral("insert into hs_classify values (1, '%1', '手提电钻（充电式）', '说明')")
                      .arg(ScrambleCode(QStringLiteral("84672100")))});
    Connection connection(QStringLiteral("suggest-rebuild"));
    connection.setConnectionString(fixture.connectionString());
    connection.ensureOpen();
    SuggestEvidence::rebuild(connection.handle());
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("u.xml")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<cases>\n%1%2%3</cases>\n")
                .arg(recordXml({"8467210000", "电钻", "s", "2024-01-01", "s"}),
                     recordXml({"8467210000", "電鑽", "s", "2024-01-01", "s"}),
                     recordXml({"0202200090", "冷冻牛肉", "s", "2024-01-01", "s"}))
                .toUtf8());
    f.close();
    ASSERT_EQ(importError(connection, f.fileName()), QStringLiteral("(no error)"));
    const auto table = [&] {
        QSqlQuery q(connection.database());
        EXPECT_TRUE(q.exec(QStringLiteral(
            "select term, code, sum(cases), sum(rulings) from suggest_evidence group by 1, 2 order by 1, 2")));
        QStringList out;
        while (q.next())
            out << QStringLiteral("%1|%2|%3|%4")
                       .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString());
        return out;
    };
    const QStringList added = table();
    EXPECT_TRUE(added.contains(QStringLiteral("电钻|%1|2|1").arg(ScrambleCode(QStringLiteral("84672100")))))
        << added.join(u'\n').toStdString();
    SuggestEvidence::rebuild(connection.handle());
    EXPECT_EQ(table(), added);
}

TEST(SuggestWords, SynonymsNoiseAndTheUsersOwnLines) {
    SuggestWords words;
    words.read(QStringLiteral("# 注释\n锂电池 = 锂离子蓄电池\nPE = 聚乙烯\nT恤 = 汗衫\n- 箱 厂号\n"));
    EXPECT_EQ(words.synonymsIn(QStringLiteral("锂电池 充电宝")), QStringList{"锂离子蓄电池"});
    EXPECT_EQ(words.synonymsIn(QStringLiteral("pe 薄膜")), QStringList{"聚乙烯"});
    EXPECT_TRUE(words.synonymsIn(QStringLiteral("pet 瓶")).isEmpty()); // Latin words match whole
    EXPECT_EQ(words.synonymsIn(QStringLiteral("纯棉t恤")), QStringList{"汗衫"}); // a Latin letter and Han
    EXPECT_TRUE(words.isNoise(QStringLiteral("箱")));
    EXPECT_EQ(words.longNoise(), QStringList{"厂号"});
}
