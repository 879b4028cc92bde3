// Where the lookup database is looked for: beside the executable, or for an installed program in
// the user's data folder, seeded from the installed read-only copy.
#include "data/DatabasePath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// An installation tree prefix/bin + prefix/share/zendrik and a user data folder, each part
// present or not as a case asks.
struct Layout {
    QTemporaryDir tmp;
    QByteArray oldXdg = qgetenv("XDG_DATA_HOME");
    QString bin() const { return tmp.path() + "/prefix/bin/"; }
    QString installed() const { return tmp.path() + "/prefix/share/zendrik/"; }
    QString user() const { return tmp.path() + "/xdg/zendrik/"; }
    Layout() {
        QDir().mkpath(bin());
        qputenv("XDG_DATA_HOME", QFile::encodeName(tmp.path() + "/xdg"));
        DatabasePath::setExecutableDir(bin());
    }
    ~Layout() {
        DatabasePath::setExecutableDir(QString());
        if (oldXdg.isNull()) qunsetenv("XDG_DATA_HOME");
        else qputenv("XDG_DATA_HOME", oldXdg);
    }
};

TEST(DatabasePlace, BesideTheExecutableOrTheUsersSeededCopy) {
    enum Where { Bin, User };
    struct Case {
        const char *what;
        bool beside, installed, userCopy;
        Where expected;
        QByteArray userBytesAfter; // "(missing)" when no user copy may be made
    } cases[] = {
        {"beside the executable wins", true, true, false, Bin, "(missing)"},
        {"a build tree without database reports it beside the executable", false, false, false, Bin, "(missing)"},
        {"installed, first start: seeded from the installed copy", false, true, false, User, "installed"},
        {"installed, later starts: the user's copy as it is", false, true, true, User, "user's own"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Layout l;
        if (c.beside) writeFile(l.bin() + "quorvel.mdb", "beside");
        if (c.installed) writeFile(l.installed() + "quorvel.mdb", "installed");
        if (c.installed) QFile::setPermissions(l.installed() + "quorvel.mdb", QFile::ReadOwner | QFile::ReadOther);
        if (c.userCopy) writeFile(l.user() + "quorvel.mdb", "user's own");

        const QString dir = DatabasePath::databaseDir();
        EXPECT_EQ(dir, c.expected == Bin ? l.bin() : l.user());
        EXPECT_EQ(DatabasePath::dataSource(DatabasePath::lookupConnectionString()), DatabasePath::databaseFile(dir));
        EXPECT_EQ(readFile(l.user() + "quorvel.mdb"), c.userBytesAfter);
        if (c.expected == User) {
            EXPECT_TRUE(QFileInfo(l.user() + "quorvel.mdb").isWritable()) << "the import writes there";
            EXPECT_FALSE(QFile::exists(l.user() + "quorvel.mdb.seeding"));
            EXPECT_EQ(readFile(l.installed() + "quorvel.mdb"), "installed");
        }
    }
}

TEST(DatabasePlace, AnInstalledProgramFindsItsPicturesInItsDataFolder) {
    Layout l;
    EXPECT_EQ(DatabasePath::besideExecutable("images\\banner.bmp"), l.bin() + "images/banner.bmp");
    writeFile(l.installed() + "images/banner.bmp", "bmp");
    EXPECT_EQ(DatabasePath::besideExecutable("images\\banner.bmp"), l.installed() + "images/banner.bmp");
    writeFile(l.bin() + "images/banner.bmp", "bmp");
    EXPECT_EQ(DatabasePath::besideExecutable("images\\banner.bmp"), l.bin() + "images/banner.bmp");
}

} // namespace
