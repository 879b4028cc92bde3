#include "cli/CliSearch.h"

#include "data/AppError.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Query.h"
#include "search/SearchStatements.h"
#include "search/ValueText.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>

namespace CliSearch {

namespace {

const char kUsage[] = "usage: zendrik-cli search [--code PREFIX] [--name FRAGMENT] [--csv] [--db FOLDER]\n";

bool wide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
           (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

QString csvField(const QString &text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r')) return text;
    QString q = text;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

// How one result shows: the visible titled columns of the grid (not the constant link column of
// the tariff) and each row's display text, read from a result streamed row by row.
class Shown {
public:
    explicit Shown(SearchTables::Table table) : table_(table) {
        const SearchTables::Description &d = SearchTables::describe(table);
        for (const GridColumn &c : d.columns)
            if (c.visible && !c.title.isEmpty() && c.field != d.linkColumn) columns_ << c;
        for (const GridColumn &c : columns_) titles << c.title;
    }
    QStringList titles;

    QStringList row(const QSqlQuery &q) {
        if (at_.isEmpty())
            for (const GridColumn &c : columns_) at_ << q.record().indexOf(c.field);
        const QString &codeField = SearchTables::describe(table_).codeColumn;
        QStringList cells;
        for (int i = 0; i < columns_.size(); ++i) {
            const QVariant v = q.value(at_[i]);
            QString text;
            if (columns_[i].field == codeField) {
                try {
                    text = SearchTables::codeText(table_, v);
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

private:
    SearchTables::Table table_;
    QList<GridColumn> columns_;
    QList<int> at_;
};

// Rows go out as they are read: the first at once, the rest in blocks.
void flushSometimes(QTextStream &out, qint64 rowsSoFar) {
    if (rowsSoFar == 1 || rowsSoFar % 256 == 0) out.flush();
}

void printCsv(Query &query, const QString &name, Shown &shown, QTextStream &out) {
    out << "table";
    for (const QString &title : shown.titles) out << ',' << csvField(title);
    out << "\r\n";
    qint64 rows = 0;
    for (QSqlQuery q = query.stream(); q.isValid(); q.next()) {
        out << name;
        for (const QString &cell : shown.row(q)) out << ',' << csvField(cell);
        out << "\r\n";
        flushSometimes(out, ++rows);
    }
}

// Aligned columns need the widest cell and the row count before the first line: a first pass
// measures, a second prints, and neither holds the rows.
void printAligned(Query &query, const QString &name, Shown &shown, QTextStream &out) {
    QList<int> widths;
    for (const QString &title : shown.titles) widths << displayWidth(title);
    qint64 rows = 0;
    for (QSqlQuery q = query.stream(); q.isValid(); q.next(), ++rows) {
        const QStringList cells = shown.row(q);
        for (int i = 0; i < cells.size(); ++i) widths[i] = std::max(widths[i], displayWidth(cells[i]));
    }
    out << name << " (" << rows << (rows == 1 ? " row" : " rows") << ")\n";
    auto line = [&](const QStringList &cells) {
        QString text;
        for (int i = 0; i < cells.size(); ++i) {
            text += cells[i];
            if (i + 1 < cells.size()) text += QString(widths[i] - displayWidth(cells[i]) + 2, u' ');
        }
        out << text << '\n';
    };
    line(shown.titles);
    rows = 0;
    for (QSqlQuery q = query.stream(); q.isValid(); q.next()) {
        line(shown.row(q));
        flushSometimes(out, ++rows);
    }
}

} // namespace

int displayWidth(const QString &text) {
    int width = 0;
    for (char32_t c : text.toUcs4()) width += wide(c) ? 2 : 1;
    return width;
}

int run(const QStringList &args, QTextStream &out, QTextStream &err) {
    if (args.value(0) != QLatin1String("search")) {
        err << kUsage;
        return 2;
    }
    QString code, name, folder;
    bool csv = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        const bool valued = a == QLatin1String("--code") || a == QLatin1String("--name") || a == QLatin1String("--db");
        if (valued && i + 1 >= args.size()) {
            err << a << " needs a value\n" << kUsage;
            return 2;
        }
        if (a == QLatin1String("--code")) code = args[++i];
        else if (a == QLatin1String("--name")) name = args[++i];
        else if (a == QLatin1String("--db")) folder = args[++i];
        else if (a == QLatin1String("--csv")) csv = true;
        else {
            err << "unknown argument " << a << '\n' << kUsage;
            return 2;
        }
    }
    code = SearchStatements::trimmed(code);
    name = SearchStatements::trimmed(name);
    if (code.isEmpty() && name.isEmpty()) {
        err << QStringLiteral("商品编码和品名不能都为空！") << '\n';
        return 2;
    }
    if (!folder.isEmpty()) DatabasePath::setExecutableDir(folder.endsWith(u'/') ? folder : folder + u'/');

    Connection con(QStringLiteral("cli"));
    con.setConnectionString(DatabasePath::lookupConnectionString());
    try {
        bool first = true;
        for (const SearchTables::Table table : SearchTables::kAll) {
            const SearchTables::Description &d = SearchTables::describe(table);
            Query query(QStringLiteral("qry%1").arg(int(table) + 1));
            query.setConnection(&con);
            query.setFields(d.fields);
            query.setSql(SearchStatements::build(table, code, name), SearchStatements::intent(table, code, name));
            Shown shown(table);
            if (!first) out << (csv ? "\r\n" : "\n");
            first = false;
            csv ? printCsv(query, d.table, shown, out) : printAligned(query, d.table, shown, out);
        }
    } catch (const AppError &e) {
        out.flush();
        err << e.message() << '\n';
        return 1;
    }
    return 0;
}

} // namespace CliSearch
