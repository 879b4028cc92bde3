#include "cli/CliSuggest.h"

#include "cli/CliOutput.h"
#include "cli/CliSearch.h"
#include "data/AppError.h"
#include "data/Connection.h"
#include "suggest/SuggestIndex.h"

#include <QTextStream>

namespace CliSuggest {

namespace {

using CliOutput::Format;

const char kUsage[] = "用法：zendrik-cli suggest \"描述\" [--top N] [--format text|csv|json] [--db 文件夹|文件]\n"
                      "详见 zendrik-cli --help\n";

struct Options {
    QString description, db;
    int top = 10;
    Format format = Format::Text;
    bool help = false;
};

// Reads the options into o; returns an error message, empty when they are sound.
QString parse(const QStringList &args, Options &o) {
    const QString problem = CliSearch::readArguments(
        args, {"--top", "--db", "--format"}, QStringLiteral("只能给一段描述（有空格时请加引号）：%1"), o.description,
        o.help, [&](const QString &a, const QString &v) {
            if (a == QLatin1String("--db")) {
                o.db = v;
            } else if (a == QLatin1String("--top")) {
                bool ok = false;
                o.top = v.toInt(&ok);
                if (!ok || o.top < 1 || o.top > 1000) return QStringLiteral("--top 须为 1 到 1000 的整数：%1").arg(v);
            } else {
                return CliOutput::readFormat(v, o.format);
            }
            return QString();
        });
    if (!problem.isEmpty() || o.help) return problem;
    if (o.description.trimmed().isEmpty()) return QStringLiteral("缺少商品描述");
    return {};
}

} // namespace

int run(const QStringList &args, QTextStream &out, QTextStream &err) {
    Options o;
    const QString problem = parse(args, o);
    if (const int code = CliSearch::usageOrHelp(problem, o.help, kUsage, out, err); code >= 0) return code;
    Connection con(QStringLiteral("cli"));
    con.setConnectionString(CliSearch::connectionString(o.db));
    QList<Suggestion> found;
    try {
        const SuggestIndex index(con);
        found = index.suggest(o.description, o.top);
    } catch (const AppError &e) {
        err << e.message() << '\n';
        return 2;
    }
    if (found.isEmpty()) {
        err << QStringLiteral("没有找到与描述相符的税则号列") << '\n';
        return 1;
    }
    const QStringList titles{QStringLiteral("序号"),       QStringLiteral("商品编码"), QStringLiteral("商品名称"),
                             QStringLiteral("最惠国税率"), QStringLiteral("匹配"),     QStringLiteral("案例"),
                             QStringLiteral("归类决定")};
    QList<QStringList> rows;
    for (int i = 0; i < found.size(); ++i) {
        const Suggestion &s = found[i];
        rows << QStringList{QString::number(i + 1),
                            s.code,
                            s.name,
                            s.rate,
                            s.matched.join(QStringLiteral("、")),
                            QString::number(s.cases),
                            QString::number(s.rulings)};
    }
    CliOutput::printRows(o.format, titles, rows, out);
    return 0;
}

} // namespace CliSuggest
