#include "cli/CliOutput.h"

#include "data/AppError.h"
#include "export/Csv.h"
#include "search/ValueText.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>

namespace CliOutput {

namespace {

bool wide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
           (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

} // namespace

QString readFormat(const QString &name, Format &format) {
    const QStringList names{"text", "csv", "json"};
    if (!names.contains(name)) return QStringLiteral("--format 只能是 text、csv 或 json：%1").arg(name);
    format = Format(names.indexOf(name));
    return {};
}

Shown::Shown(SearchTables::Table t) : table(t) {
    const SearchTables::Description &d = SearchTables::describe(t);
    for (const GridColumn &c : d.columns)
        if (c.visible && !c.title.isEmpty() && c.field != d.linkColumn) columns_ << c;
    for (const GridColumn &c : columns_) {
        if (c.field == d.codeColumn) codeAt = int(titles.size());
        titles << c.title;
    }
}

QStringList Shown::row(const RowStream &q) {
    if (at_.isEmpty())
        for (const GridColumn &c : columns_) at_ << q.record().indexOf(c.field);
    QStringList cells;
    for (int i = 0; i < columns_.size(); ++i) {
        const QVariant v = q.value(at_[i]);
        QString text;
        if (i == codeAt) {
            try {
                text = SearchTables::codeText(table, v);
            } catch (const AppError &) {
                text = v.toString(); // as the grid shows a code it cannot read
            }
        } else {
            text = ValueText::text(v, columns_[i].field);
        }
        // One row, one line.
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\n', u' ').replace(u'\r', u' ');
        cells << text;
    }
    return cells;
}

Printer::Printer(Format format, const QList<SearchTables::Table> &tables, QTextStream &out)
    : format_(format), out_(out), several_(tables.size() > 1) {
    for (const SearchTables::Table t : tables)
        for (const QString &title : Shown(t).titles)
            if (!csvColumns_.contains(title)) csvColumns_ << title;
}

void Printer::begin() {
    if (format_ != Format::Csv) return;
    QStringList header = csvColumns_;
    if (several_) header.prepend(QStringLiteral("table"));
    for (QString &h : header) h = Csv::field(h);
    out_ << header.join(u',') << "\r\n";
}

qint64 Printer::print(Query &query, Shown &shown) {
    switch (format_) {
    case Format::Csv:
        return printCsv(query, shown);
    case Format::Json:
        return printJson(query, shown);
    case Format::Text:
        break;
    }
    return printText(query, shown);
}

// Rows go out as they are read: the first at once, the rest in blocks. A failed write ends the run.
void Printer::rowDone(qint64 rowsSoFar) {
    if (rowsSoFar == 1 || rowsSoFar % 256 == 0) out_.flush();
    if (out_.status() != QTextStream::Ok) throw WriteFailed();
}

qint64 Printer::printCsv(Query &query, Shown &shown) {
    QList<int> place; // where each of the table's columns sits in the shared header
    for (const QString &title : shown.titles) place << int(csvColumns_.indexOf(title));
    const QString name = SearchTables::describe(shown.table).table;
    qint64 rows = 0;
    for (RowStream q = query.stream(); q.isValid(); q.next()) {
        const QStringList cells = shown.row(q);
        QStringList fields(csvColumns_.size());
        for (int i = 0; i < cells.size(); ++i)
            fields[place[i]] = Csv::field(i == shown.codeAt ? Csv::codeAsText(cells[i]) : cells[i]);
        if (several_) fields.prepend(name);
        out_ << fields.join(u',') << "\r\n";
        rowDone(++rows);
    }
    return rows;
}

qint64 Printer::printJson(Query &query, Shown &shown) {
    const QString name = jsonString(SearchTables::describe(shown.table).table);
    QStringList keys;
    for (const QString &title : shown.titles) keys << jsonString(title);
    qint64 rows = 0;
    for (RowStream q = query.stream(); q.isValid(); q.next()) {
        const QStringList cells = shown.row(q);
        out_ << "{\"table\":" << name;
        for (int i = 0; i < cells.size(); ++i) out_ << ',' << keys[i] << ':' << jsonString(cells[i]);
        out_ << "}\n";
        rowDone(++rows);
    }
    return rows;
}

// Aligned columns want the widest cell and the row count before the first line. A small result is
// read whole first and printed exactly so. A large one is measured on its first rows only, printed
// as it is read (a wider cell later widens its column from that line on) and counted at the end, so
// the first line comes at once and memory stays the same whatever the result's size.
qint64 Printer::printText(Query &query, Shown &shown) {
    constexpr int measuredRows = 500;
    QList<int> widths = columnWidths(shown.titles, {});
    RowStream q = query.stream();
    QList<QStringList> head;
    for (; q.isValid() && head.size() <= measuredRows; q.next()) {
        head << shown.row(q);
        widen(widths, head.last());
    }
    const bool whole = head.size() <= measuredRows;
    const QString table = SearchTables::describe(shown.table).table;
    const auto counted = [](qint64 n) { return QString::number(n) + (n == 1 ? " row" : " rows"); };
    if (!first_) out_ << '\n';
    first_ = false;
    out_ << table << " (" << (whole ? counted(head.size()) : QStringLiteral("%1+ rows").arg(measuredRows)) << ")\n";
    out_ << alignedLine(shown.titles, widths) << '\n';
    qint64 printed = 0;
    for (const QStringList &cells : std::as_const(head)) {
        out_ << alignedLine(cells, widths) << '\n';
        rowDone(++printed);
    }
    head.clear();
    for (; q.isValid(); q.next()) {
        const QStringList cells = shown.row(q);
        widen(widths, cells);
        out_ << alignedLine(cells, widths) << '\n';
        rowDone(++printed);
    }
    if (!whole) out_ << table << ": " << counted(printed) << '\n';
    return printed;
}

void widen(QList<int> &widths, const QStringList &cells) {
    for (int i = 0; i < cells.size(); ++i) widths[i] = std::max(widths[i], displayWidth(cells[i]));
}

QList<int> columnWidths(const QStringList &titles, const QList<QStringList> &rows) {
    QList<int> widths;
    for (const QString &title : titles) widths << displayWidth(title);
    for (const QStringList &row : rows) widen(widths, row);
    return widths;
}

QString alignedLine(const QStringList &cells, const QList<int> &widths) {
    QString text;
    for (int i = 0; i < cells.size(); ++i) {
        text += cells[i];
        if (i + 1 < cells.size()) text += QString(widths[i] - displayWidth(cells[i]) + 2, u' ');
    }
    return text;
}

void printRows(Format format, const QStringList &titles, const QList<QStringList> &rows, QTextStream &out) {
    switch (format) {
    case Format::Text: {
        const QList<int> widths = columnWidths(titles, rows);
        out << alignedLine(titles, widths) << '\n';
        for (const QStringList &row : rows) out << alignedLine(row, widths) << '\n';
        break;
    }
    case Format::Csv:
        for (const QStringList &record : QList<QStringList>{titles} + rows) {
            QStringList fields;
            for (const QString &cell : record) fields << Csv::field(cell);
            out << fields.join(u',') << "\r\n";
        }
        break;
    case Format::Json:
        for (const QStringList &row : rows) {
            QStringList members;
            for (int i = 0; i < row.size(); ++i) members << jsonString(titles[i]) + u':' + jsonString(row[i]);
            out << '{' << members.join(u',') << "}\n";
        }
        break;
    }
}

int displayWidth(const QString &text) {
    int width = 0;
    for (char32_t c : text.toUcs4()) width += wide(c) ? 2 : 1;
    return width;
}

QString jsonString(const QString &text) {
    QString s = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            s += QStringLiteral("\\\"");
            break;
        case u'\\':
            s += QStringLiteral("\\\\");
            break;
        case u'\n':
            s += QStringLiteral("\\n");
            break;
        case u'\r':
            s += QStringLiteral("\\r");
            break;
        case u'\t':
            s += QStringLiteral("\\t");
            break;
        default:
            if (c.unicode() < 0x20) s += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else s += c;
        }
    }
    return s + u'"';
}

} // namespace CliOutput
