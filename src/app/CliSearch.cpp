#include "app/CliSearch.h"

#include "app/GridModel.h"
#include "app/ResultColumns.h"
#include "app/SearchStatements.h"
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Query.h"

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

// One result as the grid shows it: the visible titled columns (not the constant link column of
// the tariff) and every row's display text.
struct Table {
    QString name;
    QStringList titles;
    QList<QStringList> rows;
};

Table read(Query &query, SearchStatements::Table table, const QString &tableName) {
    Table t{tableName, {}, {}};
    QList<GridColumn> shown;
    for (const GridColumn &c : ResultColumns::columns(table))
        if (c.visible && !c.title.isEmpty() && c.field != QLatin1String("b")) shown << c;
    for (const GridColumn &c : shown) t.titles << c.title;
    const QString codeField = ResultColumns::codeField(table);
    for (; !query.eof(); query.next()) {
        QStringList row;
        for (const GridColumn &c : shown) {
            const QVariant v = query.value(c.field);
            QString text;
            if (c.field == codeField) {
                try {
                    text = ResultColumns::codeText(table, v);
                } catch (const AppError &) {
                    text = v.toString(); // as the grid shows a code it cannot read
                }
            } else {
                text = GridModel::valueText(v, c.field);
            }
            // One row, one line.
            text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\n', u' ').replace(u'\r', u' ');
            row << text;
        }
        t.rows << row;
    }
    return t;
}

void printAligned(const Table &t, QTextStream &out) {
    out << t.name << " (" << t.rows.size() << (t.rows.size() == 1 ? " row" : " rows") << ")\n";
    QList<int> widths;
    for (const QString &title : t.titles) widths << displayWidth(title);
    for (const QStringList &row : t.rows)
        for (int i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], displayWidth(row[i]));
    auto line = [&](const QStringList &cells) {
        QString text;
        for (int i = 0; i < cells.size(); ++i) {
            text += cells[i];
            if (i + 1 < cells.size()) text += QString(widths[i] - displayWidth(cells[i]) + 2, u' ');
        }
        out << text << '\n';
    };
    line(t.titles);
    for (const QStringList &row : t.rows) line(row);
}

void printCsv(const Table &t, QTextStream &out) {
    out << "table";
    for (const QString &title : t.titles) out << ',' << csvField(title);
    out << "\r\n";
    for (const QStringList &row : t.rows) {
        out << t.name;
        for (const QString &cell : row) out << ',' << csvField(cell);
        out << "\r\n";
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
    const struct {
        SearchStatements::Table table;
        const char *name;
    } tables[] = {{SearchStatements::OfficialHs, "official_hs"},
                  {SearchStatements::HsClassify, "hs_classify"},
                  {SearchStatements::CaseHs, "case_hs"}};
    try {
        bool first = true;
        for (const auto &t : tables) {
            Query query(QStringLiteral("qry%1").arg(int(t.table) + 1));
            query.setConnection(&con);
            query.setFields(ResultColumns::fields(t.table));
            query.setSql(SearchStatements::build(t.table, code, name));
            query.open();
            const Table result = read(query, t.table, QLatin1String(t.name));
            if (!first) out << (csv ? "\r\n" : "\n");
            first = false;
            csv ? printCsv(result, out) : printAligned(result, out);
        }
    } catch (const AppError &e) {
        out.flush();
        err << e.message() << '\n';
        return 1;
    }
    return 0;
}

} // namespace CliSearch
