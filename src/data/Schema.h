#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// The lookup database's tables, described once; the file's statements and the server's
// (ServerSchema) are written from the description, so the two never drift apart. Only the
// database builder and test fixtures create them; the program itself never creates or alters a
// table.
//
// Code columns compare without case (COLLATE NOCASE) so that SQLite's LIKE, which ignores the
// case of Latin letters, can turn "code like 'ABCD%'" into a range scan of the code's index.
//
// The file's statements end with the name index of the cases and its triggers (SearchIndex):
// its tokenizer is registered on every connection of a process that links this file.
namespace Schema {
struct Column {
    enum Kind { Text, Integer, Double };
    QString name;
    QString fileType; // as the file declares it: varchar(50), memo, integer ...
    Kind kind = Text;
    bool code = false; // compares without case
};
struct Table {
    QString name;
    QList<Column> columns;
    QList<std::pair<QString, QString>> indexes; // index name, column (or columns)
    bool ifMissing = false; // created only where it is missing (added to older databases)
};
// Every table, in the order they are created (and copied).
const QList<Table> &tables();
// The file's statements: the tables, their indexes, then the name index.
QStringList createStatements();
// The file's statements for some of the tables.
QStringList createStatements(const QList<Table> &tables);
} // namespace Schema
