#pragma once
#include "dbbuilder/Generator.h"
#include "dbbuilder/ReferenceLoader.h"

#include <QString>

// The builder's sub-commands. Each throws AppError with a message for the user; a failed
// command leaves the database as it was (or absent, when it was absent).
namespace Builder {

enum class Existing {
    Refuse, // an existing database file is an error
    Replace, // --force
    Keep, // --if-missing: an existing file is left alone and nothing is built
};

// Whether a path where a database goes names a server's configuration file (a zendrik.conf, or
// any name ending in .conf) rather than a database file: the commands that build a database
// then build it on that server.
bool namesServer(const QString &path);

// Where the demo data set lives: compiled into the tool.
QString demoDataDir();

// Each returns false when Existing::Keep found the file there and did nothing.
bool createDatabase(const QString &path, Existing existing);
bool buildDemo(const QString &path, Existing existing, const QString &sourceDir = demoDataDir());
bool generateDatabase(const QString &path, const GeneratorOptions &options, Existing existing);

// Loads the reference files of `dir` into the database at `path` in one transaction; a missing
// database is created with the schema first. On a server that has the tables, only the rows of
// the tables the files replace are replaced, under the program's write lock.
LoadSummary loadDatabase(const QString &path, const QString &dir);

// Puts the cases of an existing database in code order (CaseOrder), the rows imported since
// included.
void clusterDatabase(const QString &path);

} // namespace Builder
