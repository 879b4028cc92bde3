// The table writers read back by independent readers: RFC 4180 text and an XLSX workbook.
#include "data/AppError.h"
#include "export/Csv.h"
#include "export/TableWriter.h"
#include "support/TableFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QList<ExportColumn> kColumns{
    {QStringLiteral("商品编码"), true}, {QStringLiteral("商品名称")}, {QStringLiteral("税率")}};
// Cells that quoting, formula guards and number detection must each get right.
const QList<QStringList> kRows{
    {QStringLiteral("0201300090"), QStringLiteral("牛肉, 冻"), QStringLiteral("12")},
    {QStringLiteral("01012100.10"), QStringLiteral("说\"明\"\r\n第二行"), QStringLiteral("6.5")},
    {QStringLiteral("0000"), QStringLiteral("=SUM(A1:A2)"), QStringLiteral("-5")},
    {QString(), QStringLiteral("@cmd"), QStringLiteral("0201")},
    {QStringLiteral("8471"), QStringLiteral("+1-2"), QString()},
};

QString readText(const QString &path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QString::fromUtf8(f.readAll());
}

void writeAll(TableWriter::Format format, const QString &path) {
    auto w = TableWriter::open(format, path, QStringLiteral("通关要素"), kColumns);
    for (const QStringList &r : kRows) w->row(r);
    w->commit();
}

} // namespace

TEST(Csv, QuotesGuardsAndCodes) {
    struct Case {
        QString in, field, guarded;
    } cases[] = {
        {"plain", "plain", "plain"},
        {"a,b", "\"a,b\"", "a,b"},
        {"say \"hi\"", "\"say \"\"hi\"\"\"", "say \"hi\""},
        {"two\nlines", "\"two\nlines\"", "two\nlines"},
        {"cr\ronly", "\"cr\ronly\"", "cr\ronly"},
        {"=1+2", "=1+2", "'=1+2"},
        {"+86 10", "+86 10", "'+86 10"},
        {"-5", "-5", "-5"},
        {"-2.5", "-2.5", "-2.5"},
        {"-a", "-a", "'-a"},
        {"@SUM(1)", "@SUM(1)", "'@SUM(1)"},
        {"\tx", "\tx", "'\tx"},
        {"", "", ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Csv::field(c.in), c.field) << c.in.toStdString();
        EXPECT_EQ(Csv::guardFormula(c.in), c.guarded) << c.in.toStdString();
    }
    EXPECT_EQ(Csv::field(QStringLiteral("a\tb"), u'\t'), QStringLiteral("\"a\tb\""));
    EXPECT_EQ(Csv::field(QStringLiteral("a,b"), u'\t'), QStringLiteral("a,b"));
    EXPECT_EQ(Csv::codeAsText(QStringLiteral("0201300090")), QStringLiteral("=\"0201300090\""));
    EXPECT_EQ(Csv::codeAsText(QString()), QString());
}

TEST(TableWriter, CsvReadsBackWithBomCodesAsTextAndGuardedFormulas) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    writeAll(TableWriter::Format::Csv, path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    const QList<QStringList> records = TableFiles::parseCsv(QString::fromUtf8(bytes.mid(3)));
    ASSERT_EQ(records.size(), kRows.size() + 1);
    EXPECT_EQ(records[0], (QStringList{"商品编码", "商品名称", "税率"}));
    for (qsizetype r = 0; r < kRows.size(); ++r) {
        const QStringList &in = kRows[r];
        const QStringList expected{in[0].isEmpty() ? QString() : "=\"" + in[0] + "\"", Csv::guardFormula(in[1]), in[2]};
        EXPECT_EQ(records[r + 1], expected) << r;
    }
    EXPECT_EQ(records[3][1], QStringLiteral("'=SUM(A1:A2)"));
    EXPECT_EQ(records[3][2], QStringLiteral("-5"));
}

TEST(TableWriter, XlsxKeepsCodesAsTextAndNumbersAsNumbers) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.xlsx"));
    writeAll(TableWriter::Format::Xlsx, path);
    QList<QList<QStringList>> types;
    const auto sheets = TableFiles::readXlsx(path, &types);
    ASSERT_EQ(sheets.size(), 1);
    const QList<QStringList> &rows = sheets[0];
    ASSERT_EQ(rows.size(), kRows.size() + 1);
    EXPECT_EQ(rows[0], (QStringList{"商品编码", "商品名称", "税率"}));
    // Text as it stands (no formula guard is needed: a text cell never runs), codes with their
    // leading zeros, numbers without leading zeros as numbers, "0201" as text.
    const QList<QStringList> expected{
        {"0201300090", "牛肉, 冻", "#12"},
        {"01012100.10", "说\"明\"\n第二行", "#6.5"}, // a cell's line break is LF in a workbook
        {"0000", "=SUM(A1:A2)", "#-5"},
        {"", "@cmd", "0201"},
        {"8471", "+1-2", ""},
    };
    for (qsizetype r = 0; r < expected.size(); ++r) EXPECT_EQ(rows[r + 1], expected[r]) << r;
    EXPECT_EQ(types[0][1][0], QStringLiteral("s"));
    EXPECT_EQ(types[0][3][1], QStringLiteral("s")); // a formula-like text is a text cell
}

TEST(TableWriter, FailureAndCancelLeaveTheTargetAsItWas) {
    QTemporaryDir dir;
    for (const auto format : {TableWriter::Format::Csv, TableWriter::Format::Xlsx}) {
        // A folder that does not exist: a clear message naming the file.
        const QString missing = dir.filePath(QStringLiteral("no/such/out.file"));
        try {
            TableWriter::open(format, missing, QStringLiteral("s"), kColumns);
            ADD_FAILURE() << "no error";
        } catch (const AppError &e) {
            EXPECT_TRUE(e.message().contains(missing)) << e.message().toStdString();
        }
        // A writer dropped before commit (a cancelled export) keeps the earlier file whole and
        // leaves nothing else behind.
        const QString path = dir.filePath(QStringLiteral("kept.file"));
        {
            QFile old(path);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("earlier");
        }
        {
            auto w = TableWriter::open(format, path, QStringLiteral("s"), kColumns);
            w->row(kRows[0]);
        }
        EXPECT_EQ(readText(path), QStringLiteral("earlier"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.file"});
    }
}

TEST(TableWriter, FormatFollowsTheExtension) {
    EXPECT_EQ(TableWriter::formatOf(QStringLiteral("/a/b.XLSX")), TableWriter::Format::Xlsx);
    EXPECT_EQ(TableWriter::formatOf(QStringLiteral("/a/b.csv")), TableWriter::Format::Csv);
    EXPECT_EQ(TableWriter::formatOf(QStringLiteral("/a/b")), TableWriter::Format::Csv);
}
