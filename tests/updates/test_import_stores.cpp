// The update import on both stores, the SQLite file and a database server: the same update file
// gives the same rows, ids and values on each, and a failure leaves either as it was.
#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "support/StoreFixture.h"
#include "support/UpdateFile.h"
#include "updates/UpdateImport.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString scrambled(const char *code) { return ScrambleCode(QString::fromLatin1(code)); }

const QString kSeedRow = QStringLiteral("7|旧记录|%1|规格|2011-05-03|2011-05-03|0|x").arg(scrambled("01012100"));

class ImportStores : public ::testing::TestWithParam<StoreKind> {
protected:
    void SetUp() override {
        fixture = std::make_unique<StoreFixture>(GetParam());
        SKIP_WITHOUT_STORE(*fixture);
        connection.setConnectionString(fixture->connectionString());
    }

    QString writeRecords(const QList<Rec> &recs, const QString &tail = {}) {
        QString body;
        for (const Rec &r : recs) body += recordXml(r);
        QFile f(files.filePath(QStringLiteral("update%1.xml").arg(++fileCount)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<cases>\n%1%2</cases>\n")
                    .arg(body, tail)
                    .toUtf8());
        return f.fileName();
    }

    // Every row of case_hs in id order, its columns joined by '|' ("<null>" for Null), read
    // through a connection of the test's own.
    QStringList rows() {
        Connection reader(QStringLiteral("import-stores-reader"));
        reader.setConnectionString(fixture->connectionString());
        reader.ensureOpen();
        QSqlQuery q(reader.database());
        EXPECT_TRUE(q.exec(QStringLiteral(
            "select id, name, code, spec, update_date, input_date, state, source from case_hs order by id")));
        QStringList out;
        while (q.next()) {
            QStringList columns;
            for (int c = 0; c < q.record().count(); ++c)
                columns << (q.isNull(c) ? QStringLiteral("<null>") : q.value(c).toString());
            out << columns.join(u'|');
        }
        return out;
    }

    QString errorOf(const QString &path) { return importError(connection, path); }

    std::unique_ptr<StoreFixture> fixture;
    Connection connection{QStringLiteral("import-stores")};
    QTemporaryDir files;
    int fileCount = 0;
};

} // namespace

TEST_P(ImportStores, NewerRecordsGetTheNextIdsAndTheSameValues) {
    fixture->exec({kOldCase});
    // Backslashes, double quotes, braces, commas and percent signs stay; apostrophes, spaces and what follows a
    // backquote go.
    QList<Rec> records = kMixedRecords;
    records << Rec{"8471'\\", "反斜杠\\n 100%", "规\\\"格{,}", "2013-01-01", "O'Brien \\' 源"};
    const QString path = writeRecords(records);
    const UpdateImport::Outcome outcome = UpdateImport::run(connection, path);
    EXPECT_EQ(outcome.read, 7);
    EXPECT_EQ(outcome.imported, 5);
    EXPECT_EQ(outcome.skipped, 2);
    EXPECT_EQ(outcome.newestDate, QStringLiteral("2013-01-01"));
    const QStringList expected{
        kSeedRow,
        "8|Tomslaptop|" + scrambled("84713010") + "|abc|2011-5-1|2011-5-1|0|海关总署",
        "9|不锈钢管|" + scrambled("7208") + "|规格|2011-06-01|2011-06-01|0|src",
        "10|不锈钢管|" + scrambled("7208") + "|规格|2011-06-01|2011-06-01|0|src",
        "11|short|" + scrambled("9999") + "|s|2012|2012|0|extra",
        "12|反斜杠\\n100%|" + scrambled("8471\\") + "|规\\\"格{,}|2013-01-01|2013-01-01|0|OBrien\\源",
    };
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(UpdateImport::newestDate(connection), QStringLiteral("2013-01-01"));

    // Nothing is newer the second time.
    const UpdateImport::Outcome again = UpdateImport::run(connection, path);
    EXPECT_EQ(again.imported, 0);
    EXPECT_EQ(again.skipped, 7);
    EXPECT_EQ(rows(), expected);
}

// Values that would end an array literal, an element of it or a string literal, or that read as
// Null in an array, are stored as they are and run nothing; on the server also in a session that
// reads backslashes in string literals as escapes.
TEST_P(ImportStores, ValuesThatLookLikeStatementsOrArrayLiteralsAreStoredAsTheyAre) {
    fixture->exec({kOldCase});
    const QList<Rec> records{
        {"1001", "NULL", "{}", "2020-01-01", "\\"},
        {"1002", "a\"},{\"b", "a\\\",\"b", "2020-01-02", "}"},
        {"1003", "x\");update/**/case_hs/**/set/**/name=$$PWN$$;--", "\\\\\"", "2020-01-03",
         "}\'::text[]);delete/**/from/**/case_hs;--"},
        {"1004", "-", "NULL,NULL", "2020-01-04", "$1"},
    };
    QStringList expected{kSeedRow};
    qint64 id = 8;
    for (const Rec &r : records) {
        QString source = r.source;
        expected << QStringLiteral("%1|%2|%3|%4|%5|%5|0|%6")
                        .arg(id++)
                        .arg(r.name, scrambled(r.code.toLatin1().constData()), r.spec, r.date, source.remove(u'\''));
    }
    if (GetParam() == StoreKind::Server) {
        connection.ensureOpen();
        QSqlQuery set(connection.database());
        ASSERT_TRUE(set.exec(QStringLiteral("set standard_conforming_strings = off")));
    }
    EXPECT_EQ(UpdateImport::run(connection, writeRecords(records)).imported, 4);
    EXPECT_EQ(rows(), expected);
}

TEST_P(ImportStores, AnEmptyTableTakesEveryRecordFromIdOne) {
    EXPECT_EQ(UpdateImport::newestDate(connection), std::nullopt);
    const UpdateImport::Outcome outcome = UpdateImport::run(
        connection, writeRecords({{"0101", "a", "s", "2001-01-01", "x"}, {"0102", "b", "s", "0000", "y"}}));
    EXPECT_EQ(outcome.imported, 2);
    EXPECT_EQ(outcome.newestDate, QStringLiteral("2001-01-01"));
    EXPECT_EQ(rows(), (QStringList{"1|a|" + scrambled("0101") + "|s|2001-01-01|2001-01-01|0|x",
                                   "2|b|" + scrambled("0102") + "|s|0000|0000|0|y"}));
}

// Enough good records before the fault that some have reached the store: they go too.
TEST_P(ImportStores, AFailureAfterManyRowsWritesNothingAndTheNextImportWorks) {
    fixture->exec({kOldCase});
    QList<Rec> good;
    for (int i = 0; i < 1200; ++i) good << Rec{QString::number(84710000 + i), "名称", "规格", "2020-01-01", "x"};
    EXPECT_EQ(errorOf(writeRecords(good, QStringLiteral("<case><code>1</code><name>n</name><spec>s</spec></case>"))),
              QStringLiteral("List index out of bounds (3)"));
    EXPECT_EQ(rows(), QStringList{kSeedRow});

    // The same connection goes on: the failed import left no transaction open.
    EXPECT_EQ(UpdateImport::run(connection, writeRecords(good)).imported, 1200);
    const QStringList all = rows();
    ASSERT_EQ(all.size(), 1201);
    EXPECT_TRUE(all.last().startsWith(QStringLiteral("1207|名称|"))) << all.last().toStdString();
}

// A table the positional insert does not fit: the engine's own text (on the server after a line
// that says the statement failed), nothing written, and on the server no word of a lost
// connection.
TEST_P(ImportStores, AStatementTheTableDoesNotFitIsReportedWithTheEnginesText) {
    fixture->exec({QStringLiteral("drop table case_hs"),
                   QStringLiteral("create table case_hs (id integer, name text, code text, spec text, "
                                  "update_date text, input_date text, state integer)"),
                   QStringLiteral("insert into case_hs values (7,'a','b','c','2011-05-03','2011-05-03',0)")});
    const QString message = errorOf(writeRecords({{"8471", "n", "s", "2020-01-01", "x"}}));
    if (GetParam() == StoreKind::File)
        EXPECT_EQ(message, QStringLiteral("table case_hs has 7 columns but 8 values were supplied"));
    else
        EXPECT_TRUE(message.startsWith(QStringLiteral("数据库服务器未能执行本次操作")) &&
                    message.contains(QStringLiteral("\nERROR:  INSERT has more expressions than target columns")) &&
                    message.contains(QStringLiteral("(42601)")))
            << message.toStdString();
    Connection reader(QStringLiteral("count"));
    reader.setConnectionString(fixture->connectionString());
    reader.ensureOpen();
    QSqlQuery q(reader.database());
    ASSERT_TRUE(q.exec(QStringLiteral("select count(*) from case_hs")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), 1);
}

INSTANTIATE_TEST_SUITE_P(BothStores, ImportStores, ::testing::Values(StoreKind::File, StoreKind::Server),
                         [](const auto &test) { return std::string(storeName(test.param)); });
