// The installed program: this build tree installed into a temporary prefix, its desktop files
// validated, the installed command-line lookup run and the installed window started and rendered
// against the user's database seeded from the installed copy.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int code = -1;
    QString out, err;
};

Outcome run(const QString &program, const QStringList &args, const QProcessEnvironment &env = {}) {
    QProcess p;
    if (!env.isEmpty()) p.setProcessEnvironment(env);
    p.start(program, args);
    Outcome r;
    if (!p.waitForStarted(10000)) {
        r.err = QStringLiteral("cannot start %1").arg(program);
        return r;
    }
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("(timed out)");
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// The environment of a user whose data folder and runtime folder are the given ones.
QProcessEnvironment userEnv(const QString &home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_DATA_HOME", home + "/data");
    QDir().mkpath(home + "/runtime");
    QFile::setPermissions(home + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert("XDG_RUNTIME_DIR", home + "/runtime");
    return env;
}

class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        tmp = new QTemporaryDir;
        prefix = tmp->path() + "/prefix";
        const Outcome r = run(qEnvironmentVariable("ZENDRIK_CMAKE"),
                              {"--install", qEnvironmentVariable("ZENDRIK_BUILD_DIR"), "--prefix", prefix});
        installed = r.code == 0;
        installLog = r.out + r.err;
    }
    static void TearDownTestSuite() { delete tmp; }
    void SetUp() override { ASSERT_TRUE(installed) << installLog.toStdString(); }

    static inline QTemporaryDir *tmp = nullptr;
    static inline QString prefix, installLog;
    static inline bool installed = false;
};

TEST_F(Installed, FilesWhereTheDesktopLooksForThem) {
    for (const char *exe : {"zendrik", "zendrik-cli", "zendrik-dbbuilder"})
        EXPECT_TRUE(QFileInfo(prefix + "/bin/" + exe).isExecutable()) << exe;
    const QFileInfo db(prefix + "/share/zendrik/quorvel.mdb");
    ASSERT_TRUE(db.exists());
    EXPECT_EQ(db.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther), 0) << "read-only";
    EXPECT_TRUE(QFile::exists(prefix + "/share/zendrik/images/banner.bmp"));
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QImage icon(prefix + QStringLiteral("/share/icons/hicolor/%1x%1/apps/cn.zendrik.Zendrik.png").arg(size));
        EXPECT_EQ(icon.size(), QSize(size, size)) << size;
        EXPECT_TRUE(icon.hasAlphaChannel()) << size;
    }
}

TEST_F(Installed, DesktopEntryAndMetainfoValidate) {
    const QString desktop = prefix + "/share/applications/cn.zendrik.Zendrik.desktop";
    const Outcome d = run("desktop-file-validate", {desktop});
    EXPECT_EQ(d.code, 0) << (d.out + d.err).toStdString();
    EXPECT_TRUE(d.out.isEmpty()) << "no warnings either: " << d.out.toStdString();
    const Outcome a =
        run("appstreamcli", {"validate", "--no-net", prefix + "/share/metainfo/cn.zendrik.Zendrik.metainfo.xml"});
    EXPECT_EQ(a.code, 0) << (a.out + a.err).toStdString();

    QFile f(desktop);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString entry = QString::fromUtf8(f.readAll());
    for (const char *line : {"Name=Zendrik查", "GenericName=Commodity Code Lookup", "Exec=zendrik\n",
                             "Icon=cn.zendrik.Zendrik", "Categories=Office;Database;"})
        EXPECT_TRUE(entry.contains(QString::fromUtf8(line))) << line;
}

// The installed command-line lookup seeds the user's copy on its first start and finds a row of
// the demo data in it.
TEST_F(Installed, CommandLineLookupOnTheSeededUserDatabase) {
    const QString home = tmp->path() + "/cli-user";
    const Outcome r = run(prefix + "/bin/zendrik-cli", {"search", "--code", "0201"}, userEnv(home));
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("0201300090")) << r.out.toStdString();
    EXPECT_TRUE(QFile::exists(home + "/data/zendrik/quorvel.mdb"));
}

// The installed program starts, seeds the user's database and runs; the render tool, pinned to
// the installed bin folder, draws the window from that database without an error box.
TEST_F(Installed, WindowStartsAndRendersOnTheSeededUserDatabase) {
    const QString home = tmp->path() + "/window-user";
    const QProcessEnvironment env = userEnv(home);
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(prefix + "/bin/zendrik", {});
    ASSERT_TRUE(program.waitForStarted(5000));
    EXPECT_FALSE(program.waitForFinished(4000))
        << "the program ended: " << program.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(home + "/data/zendrik/quorvel.mdb"));
    program.kill();
    program.waitForFinished(5000);

    const QString png = tmp->path() + "/installed-main.png";
    const QString render = qEnvironmentVariable("ZENDRIK_BUILD_DIR") + "/bin/zendrik-render";
    const Outcome r = run(render, {"main", png, prefix + "/bin/"}, env);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.err.isEmpty()) << "boxes shown: " << r.err.toStdString();
    const QImage shot(png);
    ASSERT_FALSE(shot.isNull());
    EXPECT_GT(shot.width(), 800);
    // The demo rows are there: a grid's text is dark on the white or pale rows.
    int dark = 0;
    for (int y = shot.height() / 2; y < shot.height() - 20; ++y)
        for (int x = 20; x < shot.width() - 20; ++x) dark += qGray(shot.pixel(x, y)) < 80;
    EXPECT_GT(dark, 500) << "no rows drawn";
}

} // namespace
