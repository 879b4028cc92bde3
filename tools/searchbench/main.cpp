// Times the search as the main window runs it: the three statements through three Query objects
// on one connection and the case grid's first screen painted, for every class of input (1- to
// 4-character Chinese fragments, Latin, wildcards alone and inside fragments, code and name,
// a one-digit code with a rare name, fragments that match nothing or whose matches lie late in
// code order); then the full fetch of the case result, streamed as the command-line lookup reads
// it, and the peak resident memory of the class. Beside them, the same match by a plain scan of
// every case name held in memory: its first 256 matches, all of them, and how many such full
// scans the search's first screen takes. Build the database first, e.g.
//   zendrik-dbbuilder generate /tmp/big/quorvel.mdb --tariff 10000 --rulings 10000 --cases 1000000
//   zendrik-searchbench /tmp/big [--runs N] [--png FILE] [--aged DIR]
// --aged times a copy of the database file in a temporary folder after importing the update
// files of DIR into it, as a declarant meets it after months of imports (the rows imported lie
// above the code-ordered part); make them with "zendrik-dbbuilder updates". On a server the files
// are imported into its database itself, which is not copied.
// The fragments are words of the generated names; the worst found are the many matches that lie
// late in code order. A zendrik.conf instead of the folder runs the same on the database server
// it names, e.g. after "zendrik-dbbuilder toserver /tmp/big/quorvel.mdb zendrik.conf".
#include "AgedCopy.h"
#include "NameScan.h"
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Query.h"
#include "data/StoreConfig.h"
#include "grid/DataGrid.h"
#include "search/CodeDisplay.h"
#include "search/SearchPlan.h"
#include "search/SearchStatements.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>

namespace {

QTextStream out(stdout);

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

    explicit Search(const QString &connectionString) {
        con.setConnectionString(connectionString);
        for (Query &q : qry) q.setConnection(&con);
        const SearchTables::Description &cases = SearchTables::describe(SearchTables::CaseHs);
        grid.gridModel()->setColumns(cases.columns);
        grid.gridModel()->setDisplayHook(
            cases.codeColumn, [](const QVariant &v) { return SearchTables::codeText(SearchTables::CaseHs, v); });
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
            qry[i].close();
            qry[i].setHeadOnly(true); // the grid reads the rest
            qry[i].setSource(SearchStatements::search(tables[i], code, name, con));
            qry[i].open();
        }
    }

    // Painted and every row on the screen fetched.
    void paint() {
        grid.viewport()->repaint();
        QApplication::processEvents();
    }
};

// The process's peak resident memory since the last reset, in MB.
double peakMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}
void resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly)) refs.write("5");
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int runs = 5;
    QString folder, png, aged;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--runs") && i + 1 < args.size()) runs = std::max(1, args[++i].toInt());
        else if (a == QLatin1String("--png") && i + 1 < args.size()) png = args[++i];
        else if (a == QLatin1String("--aged") && i + 1 < args.size()) aged = args[++i];
        else if (!a.startsWith(QLatin1String("--")) && folder.isEmpty()) folder = a;
        else folder.clear(), i = args.size();
    }
    if (folder.isEmpty()) {
        QTextStream(stderr) << "usage: zendrik-searchbench FOLDER|zendrik.conf [--runs N] [--png FILE] [--aged DIR]\n";
        return 2;
    }
    QString store = StoreConfig::connectionString(folder);
    if (QFileInfo(folder).isDir()) {
        DatabasePath::setExecutableDir(folder.endsWith(u'/') ? folder : folder + u'/');
        store = DatabasePath::lookupConnectionString();
    }
    try {
        QTemporaryDir agedDir;
        if (!aged.isEmpty() && DatabasePath::dataSource(store).isEmpty()) {
            ageInPlace(store, aged, out);
        } else if (!aged.isEmpty()) {
            if (!agedDir.isValid()) throw AppError(QStringLiteral("no temporary folder for the aged copy"));
            store = agedCopy(store, aged, agedDir.path(), out);
        }
        Search s(store);
        Query size(QStringLiteral("size"));
        size.setConnection(&s.con);
        size.setSql(QStringLiteral("select count(*) as n from case_hs"));
        size.open();
        // The four-digit prefix of a case in the middle of the table.
        Query mid(QStringLiteral("mid"));
        mid.setConnection(&s.con);
        mid.setSql(QStringLiteral("select code from case_hs where rowid=(select max(rowid)/2 from case_hs)"));
        mid.open();
        const QString code4 = CodeDisplay::plainCode(mid.value(QStringLiteral("code"))).left(4);
        struct Case {
            const char *label, *code, *name;
        };
        const QByteArray c4 = code4.toUtf8();
        const Case cases[] = {
            {"code prefix", c4.constData(), ""},
            {"1 char, very common", "", "牌"},
            {"1 char, many late", "", "级"},
            {"1 char, meat, late", "", "肉"},
            {"2 chars", "", "钛白"},
            {"3 chars", "", "冷冻带"},
            {"4 chars, late", "", "冷冻带骨"},
            {"Latin", "", "bosch"},
            {"% alone", "", "%"},
            {"_ alone", "", "_"},
            {"% inside", "", "冷%肉"},
            {"_ inside", "", "工业_盐"},
            {"matches nothing", "", "无此货品"},
            {"code + common name", c4.constData(), "牌"},
            {"1 digit + rare name", "8", "钛白"},
            {"1 digit + name", "0", "肉"},
            {"1 Latin letter", "", "s"},
            {"1 digit as name", "", "7"},
            {"2 common, rarely met", "", "牌制"}, // 30% and 7% of the names, side by side in 0.04%
            {"% both ends", "", "%钢%"},
        };
        // Every name in memory for the plain scans, read before the classes are timed.
        s.con.ensureOpen();
        const NameScan scan(s.con.database());
        // Where the cases' code order ends (the builder's cluster): the rows above it are the tail.
        const qint64 orderedTo = s.con.number("select clustered_to from case_hs_order");
        const qint64 last = s.con.number("select max(rowid) from case_hs");
        // Each import after it appends a run of its own in code order.
        const qint64 runsAfter = s.con.number(
            Statement("select count(*) from case_hs_runs where first_rowid > 1 and first_rowid <= ?", {orderedTo}));
        out << QStringLiteral("%1 cases (%3); %2 runs per class; times in ms (medians): the three statements, and\n"
                              "with the case grid's first screen painted; the full fetch of the case rows streamed;\n"
                              "the peak resident memory of the class in MB (the names held for the scan included,\n"
                              "%4 MB); the plain scan of the names in memory: its first 256 matches, all matches,\n"
                              "and the screen's time in full scans\n")
                   .arg(size.asInteger(QStringLiteral("n")))
                   .arg(runs)
                   .arg(!StoreConfig::fileOf(store).isEmpty()
                            ? QStringLiteral("on %1").arg(StoreConfig::read(folder).describe())
                        : orderedTo < 0 ? QStringLiteral("not kept in code order")
                                        : QStringLiteral("in code order to rowid %1 in %3 runs, %2 rows above it")
                                              .arg(orderedTo)
                                              .arg(std::max<qint64>(0, last - orderedTo))
                                              .arg(1 + std::max<qint64>(0, runsAfter)))
                   .arg(scan.bytes() / 1048576.0, 0, 'f', 0);
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11\n")
                   .arg(QStringLiteral("class"), -22)
                   .arg(QStringLiteral("input"), -12)
                   .arg(QStringLiteral("plan"), -11)
                   .arg(QStringLiteral("cases"), 8)
                   .arg(QStringLiteral("search"), 8)
                   .arg(QStringLiteral("screen"), 8)
                   .arg(QStringLiteral("fetch"), 8)
                   .arg(QStringLiteral("peakMB"), 7)
                   .arg(QStringLiteral("mem256"), 8)
                   .arg(QStringLiteral("memAll"), 8)
                   .arg(QStringLiteral("ratio"), 7);
        const char *planNames[] = {"as written", "scan names", "index sort", "index walk", "index order", "store keys"};
        for (const Case &c : cases) {
            const QString code = QString::fromUtf8(c.code), name = QString::fromUtf8(c.name);
            resetPeak();
            QList<double> total, screen;
            for (int r = 0; r <= runs; ++r) {
                QElapsedTimer t;
                t.start();
                s.run(code, name);
                const double searched = t.nsecsElapsed() / 1e6;
                s.paint();
                const double painted = t.nsecsElapsed() / 1e6;
                if (r == 0) continue; // the first run warms the page cache
                total << searched;
                screen << painted;
            }
            // Every case row read once, value by value, none held.
            QElapsedTimer t;
            t.start();
            Query all(QStringLiteral("all"));
            all.setConnection(&s.con);
            const auto search = SearchStatements::search(SearchStatements::CaseHs, code, name, s.con);
            all.setSource(search);
            qint64 rows = 0, chars = 0;
            for (RowStream q = all.stream(); q.isValid(); q.next(), ++rows)
                for (int i = 0; i < 4; ++i) chars += q.value(i).toString().size();
            const double fetched = t.nsecsElapsed() / 1e6;
            const SearchPlan::Plan plan = search->plan();
            const double peak = peakMb();
            // The same match by the plain scan: the first screen's worth and more, then all.
            QList<double> first, full;
            qsizetype scanned = 0;
            for (int r = 0; r < runs; ++r) {
                t.restart();
                scan.count(code, name, 256);
                first << t.nsecsElapsed() / 1e6;
                t.restart();
                scanned = scan.count(code, name);
                full << t.nsecsElapsed() / 1e6;
            }
            const double memAll = figures(full).median;
            out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11\n")
                       .arg(QString::fromUtf8(c.label), -22)
                       .arg((code.isEmpty() ? QString() : code + u' ') + name, -12)
                       .arg(QLatin1String(planNames[int(plan)]), -11)
                       .arg(rows, 8)
                       .arg(figures(total).median, 8, 'f', 1)
                       .arg(figures(screen).median, 8, 'f', 1)
                       .arg(fetched, 8, 'f', 1)
                       .arg(peak, 7, 'f', 0)
                       .arg(figures(first).median, 8, 'f', 1)
                       .arg(memAll, 8, 'f', 1)
                       .arg(figures(screen).median / memAll, 7, 'f', 2);
            if (scanned != rows) out << QStringLiteral("  (the scan found %1)\n").arg(scanned);
            out.flush();
        }
        // Ctrl+End in the case grid over the largest name result: the last rows shown.
        s.grid.setFocus();
        s.run(QString(), QStringLiteral("牌"));
        s.paint();
        resetPeak();
        QElapsedTimer t;
        t.start();
        QKeyEvent key(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
        QApplication::sendEvent(&s.grid, &key);
        // Until the grid stands on the last row and shows it (the count may still be coming).
        const GridModel *m = s.grid.gridModel();
        while (m->rowCount() == 0 || s.grid.currentIndex().row() != m->rowCount() - 1 ||
               m->text(m->rowCount() - 1, 0).isEmpty())
            s.paint();
        s.paint();
        out << QStringLiteral("Ctrl+End over name 牌: %1 rows in %2 ms, peak %3 MB\n")
                   .arg(s.grid.gridModel()->rowCount())
                   .arg(t.nsecsElapsed() / 1e6, 0, 'f', 1)
                   .arg(peakMb(), 0, 'f', 0);
        if (!png.isEmpty()) s.grid.grab().save(png); // the end of the result, to look at
    } catch (const AppError &e) {
        QTextStream(stderr) << e.message() << "\n";
        return 1;
    }
    return 0;
}
