#include "cli/CliRates.h"

#include "cli/CliOutput.h"
#include "cli/CliSearch.h"
#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "rates/OriginRates.h"
#include "rates/RateSheet.h"
#include "search/SearchStatements.h"

#include <QTextStream>

namespace CliRates {

namespace {

using CliOutput::Format;

const char kUsage[] = "用法：zendrik-cli rates 编码 [--origin 原产国] [--format text|csv|json] [--db 文件夹|文件]\n"
                      "详见 zendrik-cli --help\n";

struct Options {
    QString code, origin, db;
    Format format = Format::Text;
    bool help = false;
};

// Reads the options into o; returns an error message, empty when they are sound.
QString parse(const QStringList &args, Options &o) {
    const QString problem =
        CliSearch::readArguments(args, {"--origin", "--db", "--format"}, QStringLiteral("只能给一个商品编码：%1"),
                                 o.code, o.help, [&](const QString &a, const QString &v) {
                                     if (a == QLatin1String("--origin")) o.origin = SearchStatements::trimmed(v);
                                     else if (a == QLatin1String("--db")) o.db = v;
                                     else return CliOutput::readFormat(v, o.format);
                                     return QString();
                                 });
    if (!problem.isEmpty() || o.help) return problem;
    // Documents write codes with dots (0201.30); the stored codes have none.
    o.code = SearchStatements::trimmed(o.code).remove(u'.');
    if (o.code.isEmpty()) return QStringLiteral("缺少商品编码");
    return {};
}

} // namespace

int run(const QStringList &args, QTextStream &out, QTextStream &err) {
    Options o;
    const QString problem = parse(args, o);
    if (const int code = CliSearch::usageOrHelp(problem, o.help, kUsage, out, err); code >= 0) return code;
    Connection con(QStringLiteral("cli"));
    con.setConnectionString(CliSearch::connectionString(o.db));
    RateSheet sheet;
    QStringList origins;
    try {
        con.ensureOpen();
        sheet = RateSheet::read(con.database(), ScrambleCode(o.code));
        origins = partnerCountries(con.database());
    } catch (const AppError &e) {
        err << e.message() << '\n';
        return 2;
    }
    const OriginRates::Choice choice = OriginRates::choose(sheet, o.origin);
    const QString summary = OriginRates::summary(sheet, choice, o.origin);
    if (sheet.status() != RateSheet::Status::Stored) {
        err << summary << '\n';
        return 1;
    }
    // A misspelt origin would silently get the MFN rate: only the origins the window offers count.
    if (!o.origin.isEmpty() && !origins.contains(o.origin)) {
        err << QStringLiteral("未知的原产国（地区）：%1").arg(o.origin) << '\n'
            << QStringLiteral("可选：%1").arg(origins.join(QStringLiteral("、"))) << '\n';
        return 2;
    }
    const QStringList titles{QStringLiteral("税率种类"), QStringLiteral("协定伙伴"), QStringLiteral("税率"),
                             QStringLiteral("最低"), QStringLiteral("适用国家或地区")};
    QList<QStringList> rows;
    for (int i = 0; i < sheet.rates().size(); ++i) {
        const PublishedRate &r = sheet.rates()[i];
        rows << QStringList{OriginRates::kindTitle(r), r.partner, OriginRates::rateText(r),
                            i == choice.lowest ? QStringLiteral("★") : QString(), OriginRates::coverage(r)};
    }
    CliOutput::printRows(o.format, titles, rows, out);
    // A CSV file stays one table; the other formats end with the summary.
    if (o.format == Format::Text) out << '\n' << summary << '\n';
    else if (o.format == Format::Json) out << "{\"summary\":" << CliOutput::jsonString(summary) << "}\n";
    return 0;
}

} // namespace CliRates
