// Opens the case grid of the main window on a large search result and times what a user does
// with it: the first screen, Ctrl+End, scrolling through the whole result and back, and the
// cost of delivering a row's displayed text; then the program's peak memory. Build the
// database first, e.g.
//   zendrik-dbbuilder generate /tmp/big/quorvel.mdb --tariff 10000 --rulings 10000 --cases 1000000
//   zendrik-gridbench /tmp/big [--name 牌] [--code PREFIX] [--wait] [--steps N] [--png FILE]
// --wait lets the grid read the rest of the result in the background before Ctrl+End.
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Query.h"
#include "grid/DataGrid.h"
#include "search/CodeDisplay.h"
#include "search/SearchStatements.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSqlDriver>
#include <QTest>
#include <QTextStream>
#include <QThread>
#include <ctime>
#include <functional>
#include <sqlite3.h>

namespace {

QTextStream out(stdout);

double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// A "Key: N kB" line of a /proc/self file, in MB.
double procMb(const char *file, const char *key) {
    QFile f(QString::fromLatin1(file));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray wanted = QByteArray(key) + ':';
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(wanted)) return line.mid(wanted.size()).trimmed().split(' ').value(0).toDouble() / 1024;
    return -1;
}

// Private memory now, the largest seen: the dirty pages this process alone holds (its heap).
// Clean private pages are mostly the database file mapped for reading, which the kernel can
// drop at any time; they are reported apart.
double peakPrivate = 0, peakClean = 0;
double privateMb() {
    const double mb = procMb("/proc/self/smaps_rollup", "Private_Dirty");
    peakPrivate = std::max(peakPrivate, mb);
    peakClean = std::max(peakClean, procMb("/proc/self/smaps_rollup", "Private_Clean"));
    return mb;
}

struct Timer {
    QElapsedTimer wall;
    double cpu0 = cpuMs();
    Timer() { wall.start(); }
    QString text() const {
        return QStringLiteral("%1 ms (cpu %2 ms)")
            .arg(wall.nsecsElapsed() / 1e6, 0, 'f', 1)
            .arg(cpuMs() - cpu0, 0, 'f', 1);
    }
};

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        out << "usage: zendrik-gridbench DBFOLDER [--name TEXT] [--code PREFIX] [--wait] [--steps N] [--png FILE]\n";
        return 2;
    }
    const QString folder = args[1];
    DatabasePath::setExecutableDir(folder.endsWith(u'/') ? folder : folder + u'/');
    QString name = QStringLiteral("牌"), code;
    QString png;
    bool wait = false;
    int steps = 2000;
    for (int i = 2; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--name") && i + 1 < args.size()) name = args[++i];
        else if (args[i] == QLatin1String("--code") && i + 1 < args.size()) code = args[++i];
        else if (args[i] == QLatin1String("--steps") && i + 1 < args.size()) steps = args[++i].toInt();
        else if (args[i] == QLatin1String("--png") && i + 1 < args.size()) png = args[++i];
        else if (args[i] == QLatin1String("--wait")) wait = true;
    }

    try {
        Connection con(QStringLiteral("gridbench"));
        con.setConnectionString(DatabasePath::lookupConnectionString());
        Query qry(QStringLiteral("qry3"));
        qry.setConnection(&con);
        qry.setHeadOnly(true); // as the window's

        DataGrid grid;
        GridModel *m = grid.gridModel();
        m->setColumns({{QStringLiteral("code"), QStringLiteral("商品编码"), 70},
                       {QStringLiteral("name"), QStringLiteral("商品名称"), 180},
                       {QStringLiteral("spec"), QStringLiteral("申报要素"), 300, false, true}});
        m->setDisplayHook(QStringLiteral("code"),
                          [](const QVariant &v) { return CodeDisplay::caseCode(CodeDisplay::plainCode(v)); });
        grid.setFitRowsToLines(true);
        grid.setRowHeight(26);
        grid.resize(838, grid.horizontalHeader()->sizeHint().height() + 30 * grid.rowHeight() + 4);
        grid.show();
        QApplication::processEvents();
        con.ensureOpen();
        out << "start: private " << privateMb() << " MB, clean "
            << QString::number(procMb("/proc/self/smaps_rollup", "Private_Clean"), 'f', 1) << " MB\n";

        if (con.handle()) { // the file: its statement can be stepped alone
            // The statement alone, stepped to its end without reading a value (first, so that the
            // grid finds the file as warm): what the grid's reading costs on top of it is the
            // delivery cost. On a connection of its own, closed after, so that the pages it maps
            // are not counted as the grid's.
            Connection alone(QStringLiteral("alone"));
            alone.setConnectionString(DatabasePath::lookupConnectionString());
            alone.ensureOpen();
            sqlite3 *h = alone.handle();
            const Statement statement = SearchStatements::search(SearchStatements::CaseHs, code, name, alone)->rows();
            const QByteArray sql = statement.text.toUtf8();
            sqlite3_stmt *stmt = nullptr;
            Timer t;
            sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &stmt, nullptr);
            Statements::bind(stmt, statement.values);
            qint64 n = 0;
            while (sqlite3_step(stmt) == SQLITE_ROW) ++n;
            sqlite3_finalize(stmt);
            out << "statement alone, " << n << " rows stepped: " << t.text() << "\n";
        }
        {
            Timer t;
            qry.setSource(SearchStatements::search(SearchStatements::CaseHs, code, name, con));
            qry.open();
            grid.setDataSource(&qry);
            grid.viewport()->repaint();
            out << "first screen: " << t.text() << ", " << m->rowCount() << " rows announced, private " << privateMb()
                << " MB, clean " << QString::number(procMb("/proc/self/smaps_rollup", "Private_Clean"), 'f', 1)
                << " MB\n";
        }
        if (wait) {
            Timer t;
            while (m->canFetchMore({})) {
                QApplication::processEvents();
                QThread::msleep(1);
            }
            out << "whole count in the background: " << t.text() << ", " << m->rowCount() << " rows\n";
        }
        grid.setFocus();
        // Until the model has no news for the grid: what was asked for is shown.
        const auto settle = [&](const std::function<bool()> &done) {
            while (!done()) {
                QApplication::processEvents();
                QThread::msleep(1);
            }
            grid.viewport()->repaint();
        };
        {
            Timer t;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
            QApplication::sendEvent(&grid, &press);
            const double keyMs = t.wall.nsecsElapsed() / 1e6;
            settle([&] { return m->rowCount() > 0 && grid.currentIndex().row() == m->rowCount() - 1; });
            out << "Ctrl+End: " << t.text() << " (the key itself " << QString::number(keyMs, 'f', 1) << " ms), row "
                << grid.currentIndex().row() + 1 << " of " << m->rowCount() << ", private " << privateMb() << " MB\n";
        }
        if (!png.isEmpty()) grid.grab().save(png); // the last rows, as Ctrl+End shows them
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            // A click on the code title, then on it again: until the first sorted rows show, then
            // until Ctrl+End shows the last ones.
            Timer t;
            QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {},
                              QPoint(grid.horizontalHeader()->sectionViewportPosition(0) + 10, 5));
            const double clickMs = t.wall.nsecsElapsed() / 1e6;
            settle([&] { return m->sortColumn() == 0 && m->sortOrder() == order && !m->text(0, 0).isEmpty(); });
            out << "sorted by code " << (order == Qt::AscendingOrder ? "ascending" : "descending") << ": " << t.text()
                << " (the click itself " << QString::number(clickMs, 'f', 1) << " ms), first " << m->text(0, 0) << ", "
                << m->text(1, 0) << ", " << m->text(2, 0) << ", private " << privateMb() << " MB\n";
            Timer end;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
            QApplication::sendEvent(&grid, &press);
            settle([&] {
                const int last = m->rowCount() - 1;
                return last >= 0 && grid.currentIndex().row() == last && !m->text(last, 0).isEmpty();
            });
            out << "  then Ctrl+End: " << end.text() << ", last " << m->text(m->rowCount() - 1, 0) << "\n";
            QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::ControlModifier);
            QApplication::sendEvent(&grid, &home);
        }
        const int rows = m->rowCount();
        {
            // The scroll bar from the top to the end and back, painting each position.
            QScrollBar *bar = grid.verticalScrollBar();
            Timer t;
            for (int pass = 0; pass < 2; ++pass)
                for (int s = 0; s <= steps; ++s) {
                    const qint64 at = qint64(bar->maximum()) * (pass == 0 ? s : steps - s) / steps;
                    bar->setValue(int(at));
                    grid.viewport()->repaint();
                    if (s % 100 == 0) privateMb();
                }
            out << "scroll bar top to end and back, " << 2 * (steps + 1) << " painted positions: " << t.text()
                << ", private " << privateMb() << " MB\n";
        }
        {
            // Every row's displayed text, top to bottom and back: what browsing the whole result
            // asks of the model, without the painting.
            Timer t;
            qint64 chars = 0;
            for (int pass = 0; pass < 2; ++pass)
                for (int i = 0; i < rows; ++i) {
                    const int r = pass == 0 ? i : rows - 1 - i;
                    for (int c = 0; c < m->columnCount(); ++c) chars += m->text(r, c).size();
                    if (i % 100000 == 0) privateMb();
                    // As a window would between paints: the rows read on the other thread come in.
                    if (i % 1000 == 0) QApplication::processEvents();
                }
            const double n = 2.0 * std::max(rows, 1);
            out << "every row's text top to bottom and back: " << t.text() << ", "
                << QString::number(t.wall.nsecsElapsed() / 1e3 / n, 'f', 2) << " us/row (cpu "
                << QString::number((cpuMs() - t.cpu0) * 1e3 / n, 'f', 2) << " us/row, " << chars << " chars), private "
                << privateMb() << " MB\n";
        }
        out << "sqlite memory now " << QString::number(sqlite3_memory_used() / 1048576.0, 'f', 1) << " MB, peak "
            << QString::number(sqlite3_memory_highwater(0) / 1048576.0, 'f', 1) << " MB; private dirty "
            << QString::number(procMb("/proc/self/smaps_rollup", "Private_Dirty"), 'f', 1) << " MB, clean "
            << QString::number(procMb("/proc/self/smaps_rollup", "Private_Clean"), 'f', 1) << " MB\n";
        out << "peak private dirty " << QString::number(peakPrivate, 'f', 1) << " MB, clean (mapped file) "
            << QString::number(peakClean, 'f', 1) << " MB (sampled); VmHWM "
            << QString::number(procMb("/proc/self/status", "VmHWM"), 'f', 1) << " MB; VmRSS "
            << QString::number(procMb("/proc/self/status", "VmRSS"), 'f', 1) << " MB\n";
    } catch (const AppError &e) {
        out << "error: " << e.message() << "\n";
        return 1;
    }
    return 0;
}
