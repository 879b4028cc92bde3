#pragma once
#include <QString>

// Where the lookup database lies and how its connection string reads.
namespace DatabasePath {
inline constexpr char kProviderPiece[] = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";
inline constexpr char kSecurityPiece[] = ";Persist Security Info=False";

// The running executable's folder with its trailing separator. Tests may pin it with
// setExecutableDir so that fixtures live in a temporary folder.
QString executableDir();
void setExecutableDir(const QString &dirWithSeparator);

// The folder (with its trailing separator) followed by the file name written with a leading
// separator: the separator doubles before the name, which the file system reads as one.
QString databaseFile(const QString &exeDir);
QString connectionString(const QString &exeDir);
// The connection string of the lookup database in databaseDir(), or of the server that the
// user's configuration names (StoreConfig).
QString lookupConnectionString();

// The folder (with its trailing separator) of the lookup database: the executable's folder when
// the database is there. An installed program keeps a read-only copy in its data folder
// (installedDataDir) and cannot write beside itself; it uses the user's data folder
// (userDataDir), where that copy is put on first use. Without either, the executable's folder,
// where the missing file is then reported.
QString databaseDir();
// <executable folder>/../share/zendrik/, where the installation puts its read-only data.
QString installedDataDir();
// $XDG_DATA_HOME/zendrik/ (~/.local/share/zendrik/ by default).
QString userDataDir();
// The value of "Data Source=" inside a connection string; empty when there is none.
QString dataSource(const QString &connectionString);
// A file named relative to the executable's folder, with '\' as the folder separator.
QString besideExecutable(const QString &relativeWindowsPath);
} // namespace DatabasePath
