#pragma once
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// What changed between two tariff editions, each read from a lookup database: codes added,
// removed and renamed, and every change of a rate, a unit, the supervision conditions or the
// declaration elements of a code in both.

// One tariff line as an edition gives it. Rates are keyed "mfn", "provisional", "general",
// "export", "export_provisional", "agreement 韩国", "vat", "export_rebate": the published text
// where the database keeps it (tariff_rate), otherwise the numeric column as a percentage.
struct EditionLine {
    QString name, unit1, unit2, conditions, elements;
    QMap<QString, QString> rates;
};
using Edition = QMap<QString, EditionLine>; // by plain code

// Reads a database file without changing it or its folder. Throws AppError naming the file.
Edition readEdition(const QString &path);

struct EditionChange {
    QString code;
    QString change; // added, removed, renamed, rate, unit, conditions, elements
    QString field; // the rate's key or the unit column; empty for the others
    QString before, after;
};

// Changes in code order. `codes`, when not empty, limits them to codes that begin with one of
// its entries (an 8-digit number covers its 10-digit lines).
QList<EditionChange> diffEditions(const Edition &before, const Edition &after, const QStringList &codes = {});

enum class DiffFormat { Text, Csv, Json };
// Throws AppError for a name other than text, csv or json.
DiffFormat diffFormat(const QString &name);
QString formatChanges(const QList<EditionChange> &changes, DiffFormat format);

// A user's list of codes: one per line, blank lines and lines from "#" on ignored. Throws AppError
// "<file>:<line>: ..." for an entry that is not 1 to 10 digits.
QStringList readCodeList(const QString &path);
