#pragma once
#include "search/SearchTables.h"

#include <QList>
#include <QStringList>
#include <stdexcept>

class RowStream;
class QTextStream;

// How the command-line lookup prints the results: aligned text, one CSV table or JSON lines.
// Rows are streamed, never held: CSV and JSON rows go out as they are read; aligned text holds at
// most its first few hundred rows to measure the columns.
namespace CliOutput {

enum class Format { Text, Csv, Json };
// Reads the value of --format into format; returns the message for a value it does not know.
QString readFormat(const QString &name, Format &format);

// The output stream failed (a full disk, a closed pipe): the run stops at once.
struct WriteFailed : std::runtime_error {
    WriteFailed() : std::runtime_error("write failed") {}
};

// One result as the grid shows it: the visible titled columns (not the constant link column of
// the tariff) and each row's display text, one line per row.
class Shown {
public:
    explicit Shown(SearchTables::Table table);
    SearchTables::Table table;
    QStringList titles;
    int codeAt = -1; // the column that holds the code; -1 when none is shown
    QStringList row(const RowStream &q);

private:
    QList<GridColumn> columns_;
    QList<int> at_;
};

// Prints the chosen tables of one run in one format. begin() before the first table; print()
// returns the number of rows printed.
class Printer {
public:
    Printer(Format format, const QList<SearchTables::Table> &tables, QTextStream &out);
    void begin();
    qint64 print(Query &query, Shown &shown);

private:
    qint64 printText(Query &query, Shown &shown);
    qint64 printCsv(Query &query, Shown &shown);
    qint64 printJson(Query &query, Shown &shown);
    void rowDone(qint64 rowsSoFar);

    Format format_;
    QTextStream &out_;
    bool several_;
    QStringList csvColumns_; // the union of the printed tables' titles, in order of appearance
    bool first_ = true;
};

// A few rows held in memory, with their titles, in one format: aligned text under a title line,
// a CSV table with a header, or one JSON object per row keyed by the titles.
void printRows(Format format, const QStringList &titles, const QList<QStringList> &rows, QTextStream &out);
// Columns' widths: the widest of the titles and the rows' cells; widened by more cells.
QList<int> columnWidths(const QStringList &titles, const QList<QStringList> &rows);
void widen(QList<int> &widths, const QStringList &cells);
// Cells padded to their columns' widths, two spaces apart; the last cell is not padded.
QString alignedLine(const QStringList &cells, const QList<int> &widths);

// Columns a text takes on a terminal: East Asian wide and full-width characters take two.
int displayWidth(const QString &text);
// A JSON string literal.
QString jsonString(const QString &text);
} // namespace CliOutput
