// Hostile and statement-like input in the search boxes and on the command line gives the same rows
// on the SQLite file and on the database server, whatever the server's string setting and whether
// its name index is there, and changes nothing: every value reaches the engine bound.
#include "app/MainWindow.h"
#include "cli/CliSearch.h"
#include "data/CodeCodec.h"
#include "data/StoreConfig.h"
#include "grid/DataGrid.h"
#include "grid/GridModel.h"
#include "platform/RecordingPlatform.h"
#include "support/Controls.h"
#include "support/LookupFixture.h"
#include "support/StoreFixture.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTextStream>
#include <gtest/gtest.h>

namespace {

struct Variant {
    bool standardStrings; // the server's standard_conforming_strings
    bool nameIndex; // the server's name indexes are there
};

// Names of every table, written as another tool would (with standard strings, before the
// server's setting changes).
QStringList rowsWithHostileNames() {
    const char *const names[] = {"code = 'x'", "O'Brien", "a\\b",   "\\'; drop", "k\\s",  "100%",
                                 "a_b",        "钢管",    "--注释", "/*x*/",     "x; y",  "$1 ?",
                                 "制\t表",     "钢'管",   "PWN?",   ":name @v",  "\\\\n", "''"};
    QStringList out;
    int id = 0;
    for (const char *name : names) {
        ++id;
        QString literal = QString::fromUtf8(name);
        literal.replace(u'\'', QStringLiteral("''"));
        const QString code = ScrambleCode(QString::number(7200000000LL + id * 17));
        out << QStringLiteral("insert into case_hs values (%1, '%2', '%3', 's', '2024-01-01', '2024-01-01', 0, '')")
                   .arg(id)
                   .arg(literal, code)
            << QStringLiteral("insert into official_hs (id, hs_code, name) values (%1, '%2', '%3')")
                   .arg(id)
                   .arg(code, literal)
            << QStringLiteral("insert into hs_classify (id, code_t, g_name) values (%1, '%2', '%3')")
                   .arg(id)
                   .arg(code, literal);
    }
    return out;
}

struct Input {
    const char *label;
    QString code, name;
};

// Statement pieces, quotes and backslashes (which escape a quote under the old string setting),
// wildcards, control characters, NUL, lone surrogates and input longer than a pattern may be.
QList<Input> hostileInputs() {
    const auto u = [](const char *s) { return QString::fromUtf8(s); };
    return {
        {"statement piece", {}, u("code = 'x'")},
        {"injection", {}, u("\\'; update case_hs set name='PWN' where id=1; --")},
        {"lone backslash", {}, u("\\")},
        {"backslash inside", {}, u("k\\s")},
        {"backslash and quote", {}, u("\\'")},
        {"apostrophe", {}, u("'")},
        {"two apostrophes", {}, u("''")},
        {"percent", {}, u("%")},
        {"underscore", {}, u("_")},
        {"escaped percent", {}, u("\\%")},
        {"comment", {}, u("--")},
        {"block comment", {}, u("/*")},
        {"semicolon", {}, u("x; y")},
        {"placeholders", {}, u("$1 ?")},
        {"named placeholder", {}, u(":name @v")},
        {"tab", {}, u("制\t表")},
        {"control character", {}, QString(QChar(1)) + u("钢")},
        {"NUL", {}, u("钢") + QChar(0) + u("管")},
        {"lone high surrogate", {}, u("钢") + QChar(0xD800)},
        {"lone low surrogate", {}, QString(QChar(0xDC00)) + u("管")},
        {"character beyond 16 bits", {}, u("𠀀")},
        {"100,000 characters", {}, QString(100000, u'钢')},
        {"code with a quote", u("72'"), {}},
        {"code with a backslash", u("\\"), u("钢")},
        {"code statement", u("72; delete from case_hs"), {}},
        {"code of 100,000 digits", QString(100000, u'7'), {}},
    };
}

// What a store gives for an input: the window's three grids and boxes, and the command line's
// output and exit status.
struct Answer {
    QStringList window;
    QString cli;
    int exit = -1;
    bool operator==(const Answer &) const = default;
};

void PrintTo(const Answer &a, std::ostream *os) {
    *os << "window {" << a.window.join(QStringLiteral(" / ")).left(2000).toStdString() << "} cli (" << a.exit << ") {"
        << a.cli.left(2000).toStdString() << "}";
}

class HostileSearch : public ::testing::TestWithParam<Variant> {
protected:
    void SetUp() override {
        LookupFixture::writeStartupRows(db);
        db.exec(rowsWithHostileNames());
        server = std::make_unique<StoreFixture>(StoreKind::Server);
        SKIP_WITHOUT_STORE(*server);
        server->exec(LookupFixture::startupStatements());
        server->exec(rowsWithHostileNames());
        if (!GetParam().nameIndex)
            server->exec({QStringLiteral("drop index case_hs_name_grams"),
                          QStringLiteral("drop index official_hs_name_grams"),
                          QStringLiteral("drop index hs_classify_name_grams")});
        if (!GetParam().standardStrings)
            server->exec({QStringLiteral("do $$ begin execute format('alter database %I set "
                                         "standard_conforming_strings = off', current_database()); end $$")});
        // The file's window first; then a configuration beside the program sends the next one
        // (and the command line) to the server.
        onFile = std::make_unique<MainWindow>();
        onFile->show();
        ASSERT_TRUE(QFile::copy(StoreConfig::fileOf(server->connectionString()), conf()));
        onServer = std::make_unique<MainWindow>();
        onServer->show();
        ASSERT_TRUE(platform.boxes.isEmpty());
    }

    QString conf() const { return db.dir() + QStringLiteral("zendrik.conf"); }

    QStringList window(MainWindow &form, const Input &input) {
        platform.boxes.clear();
        // Pasted, as a declarant pastes from a document.
        control<QLineEdit>(form, "edtCode")->setText(input.code);
        control<QLineEdit>(form, "edtName")->setText(input.name);
        QTest::keyClick(control<QLineEdit>(form, "edtName"), Qt::Key_Return);
        QStringList out;
        for (DataGrid *grid : {control<DataGrid>(form, "dbgrd1"), control<DataGrid>(form, "dbgrd2"),
                               control<DataGrid>(form, "dbgrd3")}) {
            grid->gridModel()->fetchAll();
            out << LookupFixture::column(grid, QStringLiteral("id")).join(u',');
        }
        for (const RecordingPlatform::Box &b : platform.boxes) out << b.caption + u':' + b.text;
        return out;
    }

    std::pair<QString, int> cli(const Input &input) {
        QString text;
        QTextStream out(&text), err(&text);
        QStringList args;
        if (!input.code.isEmpty()) args << QStringLiteral("--code") << input.code;
        if (!input.name.isEmpty()) args << QStringLiteral("--name") << input.name;
        const int exit = CliSearch::run(args << QStringLiteral("--format") << QStringLiteral("csv"), out, err);
        out.flush();
        err.flush();
        return {text, exit};
    }

    Answer answer(MainWindow &form, const Input &input, bool serverConfigured) {
        // The command line reads the configuration each time.
        if (!serverConfigured) QFile::rename(conf(), conf() + QStringLiteral(".off"));
        auto [text, exit] = cli(input);
        if (!serverConfigured) QFile::rename(conf() + QStringLiteral(".off"), conf());
        return {window(form, input), text, exit};
    }

    RecordingPlatform platform;
    TestDatabase db;
    std::unique_ptr<StoreFixture> server;
    std::unique_ptr<MainWindow> onFile, onServer;
};

TEST_P(HostileSearch, GivesTheFilesRowsOnTheServerAndChangesNothing) {
    for (const Input &input : hostileInputs()) {
        SCOPED_TRACE(input.label);
        const Answer file = answer(*onFile, input, false);
        EXPECT_EQ(answer(*onServer, input, true), file);
    }
    // What the inputs find, on the file, is what a declarant means by them.
    const auto found = [&](const char *name) { return answer(*onFile, {"", {}, QString::fromUtf8(name)}, false); };
    EXPECT_EQ(found("code = 'x'").window.value(2), QStringLiteral("1"));
    EXPECT_EQ(found("\\").window.value(2).split(u',').size(), 4) << "a\\b, \\'; drop, k\\s, \\\\n";
    EXPECT_EQ(found("'").window.value(2).split(u',').size(), 5);
    EXPECT_EQ(found("x; y").window.value(2), QStringLiteral("11"));
    // Too long for a pattern: the same clear message on both stores.
    const Answer longName = answer(*onServer, {"", {}, QString(100000, u'钢')}, true);
    EXPECT_EQ(longName.exit, 2);
    EXPECT_TRUE(longName.cli.contains(QStringLiteral("查询内容过长"))) << longName.cli.toStdString();
    // Nothing was changed by any of it: the injection's target keeps its name on both stores, and
    // no name became PWN.
    EXPECT_EQ(db.scalar(QStringLiteral("select name from case_hs where id = 1")).toString(),
              QStringLiteral("code = 'x'"));
    EXPECT_EQ(answer(*onServer, {"", {}, QStringLiteral("code = 'x'")}, true).window.value(2), QStringLiteral("1"));
    EXPECT_EQ(answer(*onServer, {"", {}, QStringLiteral("PWN")}, true).window.value(2), QStringLiteral("15"));
}

INSTANTIATE_TEST_SUITE_P(ServerSettings, HostileSearch,
                         ::testing::Values(Variant{true, true}, Variant{false, true}, Variant{false, false},
                                           Variant{true, false}),
                         [](const auto &test) {
                             return std::string(test.param.standardStrings ? "StandardStrings" : "BackslashEscapes") +
                                    (test.param.nameIndex ? "WithNameIndex" : "WithoutNameIndex");
                         });

} // namespace
