#include "app/ImportWindow.h"
#include "app/MainWindow.h"
#include "chrome/PictureButton.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/StoreConfig.h"
#include "grid/DataGrid.h"
#include "platform/RecordingPlatform.h"
#include "support/Controls.h"
#include "support/LookupFixture.h"
#include "support/StoreFixture.h"
#include "support/TestDatabase.h"
#include "support/UpdateFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

// Readable failure output for Qt strings.

namespace {

class Importing : public ::testing::Test {
protected:
    void SetUp() override {
        db.exec(kOldCase);
        // Wired to a label as the main window wires it to its update-date label.
        QObject::connect(&window, &ImportWindow::updateDateChanged,
                         [this](const QString &date) { MainWindow::showUpdateDate(&dateLabel, date); });
        window.show();
    }

    QString writeFile(const QString &name, const QString &body, const char *encoding = "UTF-8") {
        const QString text =
            QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n<cases>\n").arg(QLatin1String(encoding)) + body +
            QStringLiteral("</cases>\n");
        QFile f(files.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringEncoder(encoding).encode(text));
        return f.fileName();
    }
    QString writeRecords(const QString &name, const QList<Rec> &recs) {
        QString body;
        for (const Rec &r : recs) body += recordXml(r);
        return writeFile(name, body);
    }

    void choose(const QString &path) {
        platform.nextFileName = path;
        QTest::mouseClick(control<PictureButton>(window, "img1"), Qt::LeftButton);
    }
    void importClick() { QTest::mouseClick(control<PictureButton>(window, "img2"), Qt::LeftButton); }

    QStringList rows() {
        QStringList out;
        QSqlQuery q(QSqlDatabase::database(connectionName()));
        EXPECT_TRUE(q.exec("select * from case_hs order by id"));
        while (q.next()) {
            QStringList cols;
            for (int i = 0; i < q.record().count(); ++i)
                cols << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            out << cols.join(u'|');
        }
        return out;
    }
    QString connectionName() {
        // A connection of the test's own, to see what reached the file.
        const QString name = QStringLiteral("import-test-reader");
        if (!QSqlDatabase::contains(name)) {
            QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            d.setDatabaseName(db.file());
            EXPECT_TRUE(d.open());
        }
        return name;
    }
    void TearDown() override { closeReader(); }
    // The reader must not outlive a schema change made through another connection.
    void closeReader() {
        if (QSqlDatabase::contains(QStringLiteral("import-test-reader"))) {
            QSqlDatabase::database(QStringLiteral("import-test-reader"), false).close();
            QSqlDatabase::removeDatabase(QStringLiteral("import-test-reader"));
        }
    }

    QString seedRow() {
        return QStringLiteral("7|旧记录|%1|规格|2011-05-03|2011-05-03|0|x")
            .arg(ScrambleCode(QStringLiteral("01012100")));
    }

    TestDatabase db;
    RecordingPlatform platform;
    QTemporaryDir files;
    QLabel dateLabel{QStringLiteral("数据更新时间:2011-05-03")};
    ImportWindow window;
};

QString scrambled(const char *code) { return ScrambleCode(QString::fromLatin1(code)); }

} // namespace

TEST_F(Importing, InsertsRecordsLaterThanTheNewestDateWithConsecutiveIds) {
    const QString path = writeRecords("update.xml", kMixedRecords);
    choose(path);
    EXPECT_EQ(control<QLineEdit>(window, "edtFile")->text(), QDir::toNativeSeparators(path));
    EXPECT_EQ(window.chosenName(), QStringLiteral("update.xml"));
    dateLabel.resize(6, 14); // as sized at start-up when the sequence ended before the date
    importClick();

    EXPECT_EQ(rows(), (QStringList{
                          seedRow(),
                          "8|Tomslaptop|" + scrambled("84713010") + "|abc|2011-5-1|2011-5-1|0|海关总署",
                          "9|不锈钢管|" + scrambled("7208") + "|规格|2011-06-01|2011-06-01|0|src",
                          "10|不锈钢管|" + scrambled("7208") + "|规格|2011-06-01|2011-06-01|0|src",
                          "11|short|" + scrambled("9999") + "|s|2012|2012|0|extra",
                      }));
    EXPECT_EQ(dateLabel.text(), QStringLiteral("数据更新时间:2012"));
    EXPECT_GE(dateLabel.width(), dateLabel.sizeHint().width()) << "the whole date shows";
    ASSERT_EQ(platform.boxes.size(), 1);
    EXPECT_EQ(platform.boxes[0].text, QStringLiteral("导入成功!"));
    EXPECT_EQ(platform.boxes[0].caption, QApplication::applicationDisplayName());
    EXPECT_EQ(platform.boxes[0].icon, Platform::Icon::None);
    EXPECT_TRUE(control<QLineEdit>(window, "edtFile")->text().isEmpty());
    EXPECT_FALSE(window.holdsDatabaseOpen());
    EXPECT_FALSE(control<QProgressBar>(window, "prgImport")->isVisible());

    // The kept file is imported again although the box is empty: nothing is newer now, yet the
    // label is set and success is reported.
    dateLabel.setText(QStringLiteral("changed"));
    importClick();
    EXPECT_EQ(rows().size(), 5);
    EXPECT_EQ(dateLabel.text(), QStringLiteral("数据更新时间:2012"));
    ASSERT_EQ(platform.boxes.size(), 2);
    EXPECT_EQ(platform.boxes[1].text, QStringLiteral("导入成功!"));
}

TEST_F(Importing, ReadsAFileInTheEncodingItDeclares) {
    choose(writeFile("gb.xml", recordXml({"8471", "笔记本电脑", "便携式", "2024-01-02", "来源"}), "GB2312"));
    importClick();
    EXPECT_EQ(rows().last(), "8|笔记本电脑|" + scrambled("8471") + "|便携式|2024-01-02|2024-01-02|0|来源");
}

TEST_F(Importing, OnlyFilesEndingInXmlAreImported) {
    const QString body = recordXml({"8471", "n", "s", "2020-01-01", "x"});
    struct Case {
        const char *name;
        bool imported;
    } cases[] = {{"UPDATE.XML", true}, {"update.xmlx", false}, {"myxml", true}, {"update.txt", false}, {"xm", false}};
    for (const Case &c : cases) {
        db.exec("delete from case_hs where id <> 7");
        platform.boxes.clear();
        choose(writeFile(c.name, body));
        importClick();
        ASSERT_EQ(platform.boxes.size(), 1) << c.name;
        EXPECT_EQ(platform.boxes[0].text,
                  c.imported ? QStringLiteral("导入成功!") : QStringLiteral("更新文件格式不对！"))
            << c.name;
        EXPECT_EQ(platform.boxes[0].icon, Platform::Icon::None);
        EXPECT_EQ(rows().size(), c.imported ? 2 : 1) << c.name;
        EXPECT_FALSE(window.holdsDatabaseOpen());
    }
}

TEST_F(Importing, WithoutAChosenFileOnlyTheFormatMessageShows) {
    // Text typed into the box is never imported; a cancelled dialog changes nothing.
    QTest::keyClicks(control<QLineEdit>(window, "edtFile"),
                     writeRecords("typed.xml", {{"8471", "n", "s", "2020-01-01", "x"}}));
    platform.nextFileName.clear();
    QTest::mouseClick(control<PictureButton>(window, "img1"), Qt::LeftButton);
    EXPECT_TRUE(window.chosenPath().isEmpty());
    importClick();
    ASSERT_EQ(platform.boxes.size(), 1);
    EXPECT_EQ(platform.boxes[0].text, QStringLiteral("更新文件格式不对！"));
    EXPECT_EQ(rows(), QStringList{seedRow()});
    EXPECT_EQ(dateLabel.text(), QStringLiteral("数据更新时间:2011-05-03"));
}

// Every failure is reported and leaves the table exactly as it was, however far the import got.
TEST_F(Importing, AFailedImportWritesNothing) {
    const Rec newer{"8471", "n", "s", "2020-01-01", "x"};
    struct Case {
        const char *what;
        std::function<void(TestDatabase &)> prepare;
        QString body;
        QString message; // as shown: a full stop is added after a character above it; empty: compare the
                         // first line only
        QString firstLine = {};
    } cases[] = {
        {"record with three fields after a good one", nullptr,
         recordXml(newer) + "<case><code>1</code><name>n</name><spec>s</spec></case>", "List index out of bounds (3)"},
        {"newer record without a fifth field", nullptr,
         recordXml(newer) + "<case><code>1</code><name>n</name><spec>s</spec><date>2021-01-01</date></case>",
         "List index out of bounds (4)"},
        {"comment among the records", nullptr, recordXml(newer) + "<!-- stray -->", "List index out of bounds (0)"},
        {"empty record", nullptr, recordXml(newer) + "<case/>", "List index out of bounds (0)"},
        {"statement the table does not fit",
         [](TestDatabase &d) {
             d.exec({"drop table case_hs",
                     "create table case_hs (id integer, name text, code text, spec text, "
                     "update_date text, input_date text, state integer)",
                     "insert into case_hs values (7,'a','b','c','2011-05-03','2011-05-03',0)"});
         },
         recordXml(newer), "table case_hs has 7 columns but 8 values were supplied."},
        {"malformed file", nullptr, recordXml(newer) + "<case><code>1</code></wrong>\n", "",
         "Opening and ending tag mismatch: case line 4 and wrong"},
    };
    for (const Case &c : cases) {
        if (c.prepare) c.prepare(db);
        closeReader();
        const QStringList before = rows();
        dateLabel.setText(QStringLiteral("old"));
        platform.boxes.clear();
        choose(writeFile("update.xml", c.body));
        importClick();
        ASSERT_EQ(platform.boxes.size(), 1) << c.what;
        const RecordingPlatform::Box &box = platform.boxes[0];
        EXPECT_EQ(box.icon, Platform::Icon::Stop) << c.what;
        if (!c.message.isEmpty()) {
            EXPECT_EQ(box.text, c.message) << c.what << ": " << box.text.toStdString();
        } else {
            const QStringList parts = box.text.split(u'\n');
            ASSERT_EQ(parts.size(), 3) << box.text.toStdString();
            EXPECT_EQ(parts[0], c.firstLine);
            EXPECT_EQ(parts[1], QStringLiteral("Line: 4"));
            EXPECT_EQ(parts[2], QStringLiteral("<case><code>1</code></wrong>."));
        }
        EXPECT_EQ(rows(), before) << c.what;
        EXPECT_EQ(dateLabel.text(), QStringLiteral("old")) << c.what;
        EXPECT_FALSE(control<QLineEdit>(window, "edtFile")->text().isEmpty()) << c.what;
        EXPECT_FALSE(window.holdsDatabaseOpen()) << c.what;
        db.exec("delete from case_hs");
        db.exec({"drop table case_hs",
                 "create table case_hs (id integer, name varchar(50), code varchar(50), "
                 "spec varchar(50), update_date varchar(10), input_date varchar(10), "
                 "state integer, source varchar(50))",
                 kOldCase});
        closeReader();
    }
}

TEST_F(Importing, ShowsProgressAndIgnoresClicksWhileImporting) {
    QString body;
    for (int i = 0; i < 1200; ++i) body += recordXml({QString::number(84710000 + i), "n", "s", "2020-01-01", "x"});
    choose(writeFile("big.xml", body));

    // The progress is repainted by time: the first two repaints are made slow, so the next
    // records find the repaint due at once; after them the records go in faster than a repaint
    // falls due.
    QList<int> seen;
    QList<qint64> at;
    QElapsedTimer clock;
    clock.start();
    bool barShown = true;
    QObject::connect(&window, &ImportWindow::importProgress, [&](int done, int total) {
        EXPECT_EQ(total, 1200);
        seen << done;
        at << clock.elapsed();
        barShown = barShown && control<QProgressBar>(window, "prgImport")->isVisible() &&
                   control<QProgressBar>(window, "prgImport")->value() == done;
        // Impatient clicks on both buttons and a direct call: none may start anything.
        QTest::mouseClick(control<PictureButton>(window, "img2"), Qt::LeftButton);
        QTest::mouseClick(control<PictureButton>(window, "img1"), Qt::LeftButton);
        window.importChosenFile();
        if (seen.size() <= 2) QThread::msleep(150);
    });
    platform.nextFileName = QStringLiteral("/elsewhere/other.xml");
    importClick();

    ASSERT_GE(seen.size(), 3);
    EXPECT_EQ(seen.mid(0, 3), (QList<int>{0, 1, 2}));
    for (qsizetype i = 1; i < at.size(); ++i) EXPECT_GE(at[i] - at[i - 1], 99) << "repaint " << i;
    EXPECT_TRUE(barShown);
    EXPECT_FALSE(control<QProgressBar>(window, "prgImport")->isVisible());
    ASSERT_EQ(platform.boxes.size(), 1);
    EXPECT_EQ(platform.boxes[0].text, QStringLiteral("导入成功!"));
    EXPECT_EQ(window.chosenName(), QStringLiteral("big.xml"));
    const QStringList all = rows();
    ASSERT_EQ(all.size(), 1201);
    EXPECT_TRUE(all.last().startsWith(QStringLiteral("1207|")));
}

TEST_F(Importing, LooksLikeTheImportWindow) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("更新数据导入"));
    EXPECT_EQ(window.size(), QSize(518, 65));
    EXPECT_EQ(window.pos(), QPoint(485, 372));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window.windowFlags() & Qt::Tool);
    EXPECT_EQ(control<QLabel>(window, "lbl1")->text(), QStringLiteral("请导入下载的更新文件"));
    EXPECT_EQ(control<QLineEdit>(window, "edtFile")->geometry(), QRect(8, 24, 353, 21));
    EXPECT_EQ(control<PictureButton>(window, "img1")->geometry(), QRect(360, 23, 33, 25));
    EXPECT_EQ(control<PictureButton>(window, "img2")->geometry(), QRect(392, 23, 73, 26));
    if (const char *out = getenv("ZENDRIK_RENDER_DIR")) {
        control<QLineEdit>(window, "edtFile")->setText(QStringLiteral("/home/user/下载/update_20260105.xml"));
        control<QProgressBar>(window, "prgImport")->setRange(0, 100);
        control<QProgressBar>(window, "prgImport")->setValue(40);
        control<QProgressBar>(window, "prgImport")->show();
        window.grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/import.png"));
    }
}

// The shipped sample files import into a database whose newest case is from 2025.
TEST_F(Importing, SampleFilesImportTheirNewerRecords) {
    QString root = qEnvironmentVariable("ZENDRIK_SOURCE_DIR");
    if (root.isEmpty()) // run by hand: the source tree this test was built from
        root = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../..");
    const QString samples = root + QStringLiteral("/data/samples/");
    db.exec("update case_hs set update_date = '2025-12-31'");
    struct Case {
        const char *file;
        int inserted;
        QString lastName;
    } cases[] = {{"update-utf8.xml", 4, "已焙炒咖啡豆"}, {"update-gb2312.xml", 3, "葡萄酒"}};
    int expectedRows = 1;
    for (const Case &c : cases) {
        platform.boxes.clear();
        choose(samples + QLatin1String(c.file));
        importClick();
        ASSERT_EQ(platform.boxes.size(), 1);
        EXPECT_EQ(platform.boxes[0].text, QStringLiteral("导入成功!")) << c.file;
        expectedRows += c.inserted;
        const QStringList all = rows();
        ASSERT_EQ(all.size(), expectedRows) << c.file;
        EXPECT_EQ(all.last().section(u'|', 1, 1), c.lastName) << c.file;
    }
}

// With a zendrik.conf naming a database server, the window imports into the server: the same
// rows, ids and date as on the file.
TEST(ImportWindowOnServer, ImportsIntoTheConfiguredServer) {
    StoreFixture server(StoreKind::Server);
    SKIP_WITHOUT_STORE(server);
    server.exec({kOldCase});
    const QString config = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/zendrik/zendrik.conf");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(config).path()));
    QFile::remove(config);
    ASSERT_TRUE(QFile::copy(StoreConfig::fileOf(server.connectionString()), config));
    struct RemoveOnExit {
        QString path;
        ~RemoveOnExit() { QFile::remove(path); }
    } removeConfig{config};

    RecordingPlatform platform;
    QTemporaryDir files;
    const QString path = files.filePath(QStringLiteral("update.xml"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QString body;
    for (const Rec &r : kMixedRecords) body += recordXml(r);
    f.write(QStringLiteral("<?xml version=\"1.0\" "
                           "encoding=\"UTF-8\"?>\n<"
                           "cases>\n%1</cases>\n")
                .arg(body)
                .toUtf8());
    f.close();
    ImportWindow window;
    QString shownDate;
    QObject::connect(&window, &ImportWindow::updateDateChanged, [&](const QString &date) { shownDate = date; });
    window.show();
    platform.nextFileName = path;
    QTest::mouseClick(control<PictureButton>(window, "img1"), Qt::LeftButton);
    QTest::mouseClick(control<PictureButton>(window, "img2"), Qt::LeftButton);
    ASSERT_EQ(platform.boxes.size(), 1);
    EXPECT_EQ(platform.boxes[0].text, QStringLiteral("导入成功!"));
    EXPECT_EQ(shownDate, QStringLiteral("2012"));
    EXPECT_FALSE(window.holdsDatabaseOpen());

    Connection reader(QStringLiteral("server-reader"));
    reader.setConnectionString(server.connectionString());
    reader.ensureOpen();
    QSqlQuery q(reader.database());
    ASSERT_TRUE(q.exec(QStringLiteral("select id, name, code, spec, "
                                      "update_date, input_date, state, source "
                                      "from case_hs order by id")));
    QStringList rows;
    while (q.next()) {
        QStringList columns;
        for (int c = 0; c < 8; ++c) columns << q.value(c).toString();
        rows << columns.join(u'|');
    }
    EXPECT_EQ(rows, (QStringList{
                        QStringLiteral("7|旧记录|%1|规格|2011-05-03|"
                                       "2011-05-03|0|x")
                            .arg(scrambled("01012100")),
                        "8|Tomslaptop|" + scrambled("84713010") +
                            "|abc|2011-5-1|2011-5-1|0|"
                            "海关总署",
                        "9|不锈钢管|" + scrambled("7208") +
                            "|规格|2011-06-01|2011-06-01|0|"
                            "src",
                        "10|不锈钢管|" + scrambled("7208") +
                            "|规格|2011-06-01|2011-06-01|0|"
                            "src",
                        "11|short|" + scrambled("9999") + "|s|2012|2012|0|extra",
                    }));
}

// Reference data without a single case: the main window starts, finds tariff rows and takes an
// update file through its import window, whose new update date it shows.
TEST(ImportIntoEmptyCases, TheMainWindowStartsSearchesAndImports) {
    RecordingPlatform platform;
    TestDatabase db;
    LookupFixture::writeStartupRows(db);
    db.exec(QStringLiteral("delete from case_hs"));
    LookupFixture::addTariff(db, 1, QStringLiteral("0101210010"), QStringLiteral("纯种繁殖用马"), QStringLiteral("AB"));
    LookupFixture::addTariff(db, 2, QStringLiteral("0201300090"), QStringLiteral("鲜牛肉"), QVariant());
    MainWindow form;
    form.show();
    EXPECT_TRUE(platform.boxes.isEmpty()) << platform.boxes.value(0).text.toStdString();
    EXPECT_TRUE(control<QLabel>(form, "lbl8")->text().isEmpty());

    QTest::keyClicks(control<QLineEdit>(form, "edtCode"), QStringLiteral("0101"));
    QTest::keyClick(control<QLineEdit>(form, "edtCode"), Qt::Key_Return);
    EXPECT_EQ(LookupFixture::column(control<DataGrid>(form, "dbgrd1"), QStringLiteral("name")),
              QStringList{"纯种繁殖用马"});

    QTemporaryDir files;
    const QString path = files.filePath(QStringLiteral("update.xml"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<cases>\n%1%2</cases>\n")
                .arg(recordXml({"0101210010", "马", "纯种", "2030-01-02", "a"}),
                     recordXml({"0201300090", "牛肉", "鲜", "2030-01-01", "b"}))
                .toUtf8());
    f.close();

    QTest::mouseClick(control<PictureButton>(form, "imgupdate"), Qt::LeftButton, {}, QPoint(40, 40));
    ImportWindow *importWindow = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *candidate = qobject_cast<ImportWindow *>(w); candidate && candidate->isVisible())
            importWindow = candidate;
    ASSERT_NE(importWindow, nullptr);
    platform.nextFileName = path;
    QTest::mouseClick(control<PictureButton>(*importWindow, "img1"), Qt::LeftButton);
    QTest::mouseClick(control<PictureButton>(*importWindow, "img2"), Qt::LeftButton);
    ASSERT_EQ(platform.boxes.size(), 1);
    EXPECT_EQ(platform.boxes[0].text, QStringLiteral("导入成功!"));
    EXPECT_EQ(control<QLabel>(form, "lbl8")->text(), QStringLiteral("数据更新时间:2030-01-02"));
    EXPECT_EQ(db.scalar(QStringLiteral("select group_concat(r, ' ') from (select id||':'||name as r from case_hs "
                                       "order by id)"))
                  .toString(),
              QStringLiteral("1:马 2:牛肉"));
    delete importWindow;
}
