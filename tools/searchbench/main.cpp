// Times the search as the main window runs it: the three statements through three Query objects
// on one connection, for a code prefix, name fragments and both together, and the time until a
// case grid shows its first screen of rows. Build the database first, e.g.
//   zendrik-dbbuilder generate /tmp/big/quorvel.mdb --tariff 10000 --rulings 10000 --cases 1000000
//   zendrik-searchbench /tmp/big [--runs N] [--code 4DIGITS] [--name TEXT ...] [--png FILE]
#include "app/CodeDisplay.h"
#include "app/DataGrid.h"
#include "app/SearchStatements.h"
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Query.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTextStream>
#include <algorithm>
#include <ctime>

namespace {

QTextStream out(stdout);

// The machine is shared: the process's own CPU time shows the work apart from waiting.
double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Figures {
    double median, p95;
};

Figures figures(QList<double> ms) {
    std::sort(ms.begin(), ms.end());
    const auto at = [&](double q) {
        return ms[std::min<qsizetype>(ms.size() - 1, qsizetype(q * (ms.size() - 1) + 0.5))];
    };
    return {at(0.5), at(0.95)};
}

struct Search {
    Connection con{QStringLiteral("searchbench")};
    Query qry[3]{Query(QStringLiteral("qry1")), Query(QStringLiteral("qry2")), Query(QStringLiteral("qry3"))};
    DataGrid grid;
    double perTable[3] = {};

    Search() {
        con.setConnectionString(DatabasePath::lookupConnectionString());
        for (Query &q : qry) q.setConnection(&con);
        grid.gridModel()->setColumns({{QStringLiteral("code"), QStringLiteral("商品编码"), 70},
                                      {QStringLiteral("name"), QStringLiteral("商品名称"), 180},
                                      {QStringLiteral("spec"), QStringLiteral("申报要素"), 300, false, true}});
        grid.gridModel()->setDisplayHook(
            QStringLiteral("code"), [](const QVariant &v) { return CodeDisplay::caseCode(CodeDisplay::plainCode(v)); });
        grid.setFitRowsToLines(true);
        grid.setRowHeight(26);
        grid.setDataSource(&qry[2]);
        grid.applyColumnWidths();
        // Thirty rows on the screen.
        grid.resize(838, grid.horizontalHeader()->sizeHint().height() + 30 * grid.rowHeight() + 4);
        grid.show();
        QApplication::processEvents();
    }

    // The three statements, as the search button runs them.
    void run(const QString &code, const QString &name) {
        const SearchStatements::Table tables[] = {SearchStatements::OfficialHs, SearchStatements::HsClassify,
                                                  SearchStatements::CaseHs};
        for (int i = 0; i < 3; ++i) {
            QElapsedTimer t;
            t.start();
            qry[i].close();
            qry[i].setSql(SearchStatements::build(tables[i], code, name));
            qry[i].open();
            perTable[i] = t.nsecsElapsed() / 1e6;
        }
    }

    // Painted and every row on the screen fetched.
    void paint() {
        grid.viewport()->repaint();
        QApplication::processEvents();
    }

    qint64 caseRows() {
        Query count(QStringLiteral("count"));
        count.setConnection(&con);
        QString sql = SearchStatements::build(SearchStatements::CaseHs, codeNow, nameNow);
        count.setSql(QStringLiteral("select count(*) as n from (%1)").arg(sql));
        count.open();
        return count.asInteger(QStringLiteral("n"));
    }
    QString codeNow, nameNow;
};

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int runs = 15;
    QString code;
    QStringList names;
    QString folder, png;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--runs") && i + 1 < args.size()) runs = std::max(1, args[++i].toInt());
        else if (a == QLatin1String("--code") && i + 1 < args.size()) code = args[++i];
        else if (a == QLatin1String("--name") && i + 1 < args.size()) names << args[++i];
        else if (a == QLatin1String("--png") && i + 1 < args.size()) png = args[++i];
        else if (!a.startsWith(QLatin1String("--")) && folder.isEmpty()) folder = a;
        else {
            QTextStream(stderr)
                << "usage: zendrik-searchbench FOLDER [--runs N] [--code 4DIGITS] [--name TEXT ...] [--png FILE]\n";
            return 2;
        }
    }
    if (folder.isEmpty()) {
        QTextStream(stderr) << "usage: zendrik-searchbench FOLDER [--runs N] [--code 4DIGITS] [--name TEXT ...]\n";
        return 2;
    }
    DatabasePath::setExecutableDir(folder.endsWith(u'/') ? folder : folder + u'/');
    try {
        Search s;
        if (code.isEmpty()) {
            // The prefix of a case in the middle of the table.
            Query mid(QStringLiteral("mid"));
            mid.setConnection(&s.con);
            mid.setSql(QStringLiteral("select code from case_hs where rowid=(select max(rowid)/2 from case_hs)"));
            mid.open();
            code = CodeDisplay::plainCode(mid.value(QStringLiteral("code"))).left(4);
        }
        if (names.isEmpty())
            names = {QStringLiteral("钢管"), QStringLiteral("电动"), QStringLiteral("钢"), QStringLiteral("机")};
        struct Case {
            QString label, code, name;
        };
        QList<Case> cases{{QStringLiteral("code %1").arg(code), code, QString()}};
        for (const QString &n : names) cases.append({QStringLiteral("name %1").arg(n), QString(), n});
        cases.append({QStringLiteral("code %1 + name %2").arg(code, names.first()), code, names.first()});
        cases.append({QStringLiteral("code %1 + name %2").arg(code, names.last()), code, names.last()});

        out << QStringLiteral("%1 runs per case; times in ms: median and 95th percentile of the search, medians of\n"
                              "each table, of the search plus the case grid's first 30 rows painted, and of the\n"
                              "search's CPU time\n")
                   .arg(runs);
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                   .arg(QStringLiteral("case"), -24)
                   .arg(QStringLiteral("cases"), 8)
                   .arg(QStringLiteral("median"), 8)
                   .arg(QStringLiteral("p95"), 8)
                   .arg(QStringLiteral("tariff"), 8)
                   .arg(QStringLiteral("rulings"), 8)
                   .arg(QStringLiteral("cases"), 8)
                   .arg(QStringLiteral("screen"), 8)
            << QStringLiteral(" %1\n").arg(QStringLiteral("cpu"), 8);
        for (const Case &c : cases) {
            s.codeNow = c.code;
            s.nameNow = c.name;
            QList<double> total, screen, cpu, table[3];
            for (int r = 0; r <= runs; ++r) {
                QElapsedTimer t;
                t.start();
                const double cpu0 = cpuMs();
                s.run(c.code, c.name);
                const double searched = t.nsecsElapsed() / 1e6;
                const double cpuSearched = cpuMs() - cpu0;
                s.paint();
                const double painted = t.nsecsElapsed() / 1e6;
                if (r == 0) continue; // the first run warms the page cache
                total << searched;
                screen << painted;
                cpu << cpuSearched;
                for (int i = 0; i < 3; ++i) table[i] << s.perTable[i];
            }
            const Figures f = figures(total);
            out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
                       .arg(c.label, -24)
                       .arg(s.caseRows(), 8)
                       .arg(f.median, 8, 'f', 1)
                       .arg(f.p95, 8, 'f', 1)
                       .arg(figures(table[0]).median, 8, 'f', 1)
                       .arg(figures(table[1]).median, 8, 'f', 1)
                       .arg(figures(table[2]).median, 8, 'f', 1)
                       .arg(figures(screen).median, 8, 'f', 1)
                       .arg(figures(cpu).median, 8, 'f', 1);
            out.flush();
        }
        // Ctrl+End in the case grid over the largest name result: every row fetched and the last
        // one shown.
        s.grid.setFocus();
        for (const QString &n : {names.last()}) {
            s.run(QString(), n);
            s.paint();
            QElapsedTimer t;
            t.start();
            QKeyEvent key(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
            QApplication::sendEvent(&s.grid, &key);
            s.paint();
            out << QStringLiteral("Ctrl+End over name %1: %2 rows in %3 ms\n")
                       .arg(n)
                       .arg(s.grid.gridModel()->rowCount())
                       .arg(t.nsecsElapsed() / 1e6, 0, 'f', 1);
            if (!png.isEmpty()) s.grid.grab().save(png); // the end of the result, to look at
        }
    } catch (const AppError &e) {
        QTextStream(stderr) << e.message() << "\n";
        return 1;
    }
    return 0;
}
