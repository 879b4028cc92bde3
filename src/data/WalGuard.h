#pragma once
#include <QString>

// A write-ahead log left beside a database file by a program that ended without closing it is
// replayed into the file by the next opening. When the file was replaced meanwhile (a user
// copied another database over it), that replay writes another database's pages into it.
//
// The log is taken as the file's own when the pages it says were already copied into the
// database read the same there, or, when none were copied yet, when the database file has not
// changed since the log was last written (its status-change time, which a copy over the file
// or a move onto its name sets and no tool sets back, is not later than the log's last write).
namespace WalGuard {

enum class Verdict { NoLog, Own, Foreign };

Verdict examine(const QString &databaseFile);

// Moves a foreign log (and its index file) aside, unless a process has the database open; the
// name it now has, or empty when it stays. The log is kept, never deleted: nothing is lost if
// the judgement was wrong.
QString setAsideForeign(const QString &databaseFile);

} // namespace WalGuard
