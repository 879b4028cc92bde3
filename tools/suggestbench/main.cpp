// How well and how fast the description search answers: for each labelled description, whether
// the right 6-digit subheading is the first line proposed and among the first ten, and the time
// of the answer; beside it, the same for a plain BM25 ranking of the tariff names (PlainRanking).
//   zendrik-suggestbench FOLDER|zendrik.conf [--set FILE] [--stat-names FILE] [--every N] [--runs N]
// --set: a table of descriptions written as declarants write them, "description<TAB>subheading
// <TAB>kind" (tools/suggestbench/descriptions.tsv). --stat-names: the customs statistics names of
// another year ("商品编码","商品名称" ...), each taken as a description of its own subheading where
// the tariff does not use the same words; --every N takes every N-th of them.
#include "PlainRanking.h"

#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/StoreConfig.h"
#include "suggest/SuggestIndex.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <QSqlQuery>
#include <QTextStream>

#include <algorithm>

namespace {

struct Case {
    QString description, subheading, kind;
};

struct Tally {
    int count = 0, top1 = 0, top10 = 0, plain1 = 0, plain10 = 0;
    QList<double> ms;
};

QList<Case> readSet(const QString &path) {
    QList<Case> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw AppError(QStringLiteral("%1: %2").arg(path, f.errorString()));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList f3 = lines[i].trimmed().split(u'\t');
        if (f3.size() >= 2) out << Case{f3[0], f3[1].left(6), f3.value(2, QStringLiteral("set"))};
    }
    return out;
}

// The statistics names as descriptions: quoted CSV, code and name first.
QList<Case> readStatNames(const QString &path, const QSet<QString> &tariffNames, const QSet<QString> &subheadings,
                          int every) {
    QList<Case> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw AppError(QStringLiteral("%1: %2").arg(path, f.errorString()));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    int seen = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList f2 = lines[i].split(u',');
        if (f2.size() < 2) continue;
        const QString code = f2[0].trimmed().remove(u'"'), name = f2[1].trimmed().remove(u'"');
        if (code.size() < 6 || name.isEmpty() || tariffNames.contains(name) || !subheadings.contains(code.left(6)))
            continue;
        if (seen++ % every == 0) out << Case{name, code.left(6), QStringLiteral("stat-2023")};
    }
    return out;
}

double percent(int part, int whole) { return whole ? 100.0 * part / whole : 0; }

double quantile(QList<double> v, double q) {
    if (v.isEmpty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min<qsizetype>(v.size() - 1, qsizetype(q * double(v.size() - 1) + 0.5))];
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments().mid(1);
    QString where, set, statNames;
    int every = 1, runs = 1;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--set") && i + 1 < args.size()) set = args[++i];
        else if (a == QLatin1String("--stat-names") && i + 1 < args.size()) statNames = args[++i];
        else if (a == QLatin1String("--every") && i + 1 < args.size()) every = std::max(1, args[++i].toInt());
        else if (a == QLatin1String("--runs") && i + 1 < args.size()) runs = std::max(1, args[++i].toInt());
        else if (where.isEmpty() && !a.startsWith(QLatin1String("--"))) where = a;
        else where.clear(), i = args.size();
    }
    if (where.isEmpty() || (set.isEmpty() && statNames.isEmpty())) {
        QTextStream(stderr) << "usage: zendrik-suggestbench FOLDER|zendrik.conf [--set FILE] [--stat-names FILE] "
                               "[--every N] [--runs N]\n";
        return 2;
    }
    QString store = StoreConfig::connectionString(where);
    if (QFileInfo(where).isDir()) {
        DatabasePath::setExecutableDir(where.endsWith(u'/') ? where : where + u'/');
        store = DatabasePath::lookupConnectionString();
    }
    try {
        Connection con(QStringLiteral("suggestbench"));
        con.setConnectionString(store);
        QElapsedTimer timer;
        timer.start();
        const SuggestIndex index(con);
        const double loadMs = double(timer.nsecsElapsed()) / 1e6;

        PlainRanking plain;
        QSet<QString> tariffNames, subheadings;
        for (QSqlQuery q(QStringLiteral("select hs_code, name from official_hs"), con.database()); q.next();) {
            const QString code = UnscrambleCode(q.value(0).toString());
            plain.add(code, q.value(1).toString());
            tariffNames.insert(q.value(1).toString());
            subheadings.insert(code.left(6));
        }
        QList<Case> cases;
        if (!set.isEmpty()) cases += readSet(set);
        if (!statNames.isEmpty()) cases += readStatNames(statNames, tariffNames, subheadings, every);

        QMap<QString, Tally> byKind;
        QList<std::pair<Case, QString>> misses;
        for (const Case &c : cases) {
            QList<Suggestion> found;
            double best = 1e9;
            for (int r = 0; r < runs; ++r) {
                timer.restart();
                found = index.suggest(c.description, 10);
                best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
            }
            const QList<QString> plainFound = plain.rank(c.description, 10);
            for (const QString &kind : {c.kind, QStringLiteral("all")}) {
                Tally &t = byKind[kind];
                ++t.count;
                t.ms << best;
                t.top1 += !found.isEmpty() && found[0].code.startsWith(c.subheading);
                t.top10 += std::any_of(found.begin(), found.end(),
                                       [&](const Suggestion &s) { return s.code.startsWith(c.subheading); });
                t.plain1 += !plainFound.isEmpty() && plainFound[0].startsWith(c.subheading);
                t.plain10 += std::any_of(plainFound.begin(), plainFound.end(),
                                         [&](const QString &code) { return code.startsWith(c.subheading); });
            }
            if (found.isEmpty() || !found[0].code.startsWith(c.subheading))
                misses << std::pair{c, found.isEmpty() ? QStringLiteral("-") : found[0].code + u' ' + found[0].name};
        }
        out << QStringLiteral("%1 tariff lines read in %2 ms; %3 descriptions, best of %4 runs each\n\n")
                   .arg(index.lineCount())
                   .arg(loadMs, 0, 'f', 1)
                   .arg(cases.size())
                   .arg(runs);
        out << "| kind | n | top-1 | top-10 | plain top-1 | plain top-10 | ms median | ms p95 | ms max |\n"
               "|---|---:|---:|---:|---:|---:|---:|---:|---:|\n";
        for (auto it = byKind.begin(); it != byKind.end(); ++it) {
            const Tally &t = *it;
            out << QStringLiteral("| %1 | %2 | %3% | %4% | %5% | %6% | %7 | %8 | %9 |\n")
                       .arg(it.key())
                       .arg(t.count)
                       .arg(percent(t.top1, t.count), 0, 'f', 1)
                       .arg(percent(t.top10, t.count), 0, 'f', 1)
                       .arg(percent(t.plain1, t.count), 0, 'f', 1)
                       .arg(percent(t.plain10, t.count), 0, 'f', 1)
                       .arg(quantile(t.ms, 0.5), 0, 'f', 2)
                       .arg(quantile(t.ms, 0.95), 0, 'f', 2)
                       .arg(quantile(t.ms, 1.0), 0, 'f', 2);
        }
        if (qEnvironmentVariableIsSet("SUGGESTBENCH_MISSES")) {
            out << "\nmisses (description, label, first proposed):\n";
            for (const auto &[c, first] : misses)
                out << c.kind << '\t' << c.description << '\t' << c.subheading << '\t' << first << '\n';
        }
    } catch (const AppError &e) {
        QTextStream(stderr) << e.message() << '\n';
        return 1;
    }
    return 0;
}
