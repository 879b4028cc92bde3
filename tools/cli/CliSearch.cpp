#include "cli/CliSearch.h"

#include "cli/CliOutput.h"
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "data/Query.h"
#include "search/SearchStatements.h"

#include <QFileInfo>
#include <QTextStream>

namespace CliSearch {

namespace {

using CliOutput::Format;

const char kUsage[] = "用法：zendrik-cli search [--code 编码] [--name 品名] [--table tariff|rulings|cases] "
                      "[--format text|csv|json] [--db 文件夹|文件]\n"
                      "详见 zendrik-cli --help\n";

struct Options {
    QString code, name, db;
    QList<SearchTables::Table> tables{std::begin(SearchTables::kAll), std::end(SearchTables::kAll)};
    Format format = Format::Text;
    bool help = false;
};

// Reads the options into o; returns an error message, empty when they are sound.
QString parse(const QStringList &args, Options &o) {
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--help")) {
            o.help = true;
            return {};
        }
        if (a == QLatin1String("--csv")) {
            o.format = Format::Csv;
            continue;
        }
        const QStringList valued{"--code", "--name", "--db", "--table", "--format"};
        if (!valued.contains(a)) return QStringLiteral("未知参数：%1").arg(a);
        if (i + 1 >= args.size()) return QStringLiteral("选项 %1 需要一个值").arg(a);
        const QString v = args[++i];
        if (a == QLatin1String("--code")) o.code = v;
        else if (a == QLatin1String("--name")) o.name = v;
        else if (a == QLatin1String("--db")) o.db = v;
        else if (a == QLatin1String("--table")) {
            const QStringList names{"tariff", "rulings", "cases"};
            if (!names.contains(v)) return QStringLiteral("--table 只能是 tariff、rulings 或 cases：%1").arg(v);
            o.tables = {SearchTables::kAll[names.indexOf(v)]};
        } else if (const QString problem = CliOutput::readFormat(v, o.format); !problem.isEmpty()) {
            return problem;
        }
    }
    // Documents write codes with dots (0201.30); the stored codes have none.
    o.code = SearchStatements::trimmed(o.code).remove(u'.');
    o.name = SearchStatements::trimmed(o.name);
    if (o.code.isEmpty() && o.name.isEmpty()) return QStringLiteral("商品编码和品名不能都为空！");
    return {};
}

} // namespace

QString connectionString(const QString &db) {
    if (db.isEmpty()) return DatabasePath::lookupConnectionString();
    if (QFileInfo(db).isDir()) return DatabasePath::connectionString(db.endsWith(u'/') ? db : db + u'/');
    return QLatin1String(DatabasePath::kProviderPiece) + db + QLatin1String(DatabasePath::kSecurityPiece);
}

QString help() {
    return QStringLiteral(
        "用法：zendrik-cli search [选项]\n"
        "      zendrik-cli rates 编码 [--origin 原产国] [--format text|csv|json] [--db 文件夹|文件]\n"
        "      zendrik-cli suggest \"描述\" [--top N] [--format text|csv|json] [--db 文件夹|文件]\n"
        "      zendrik-cli --help | --version\n"
        "\n"
        "按商品编码和/或品名查询，与主窗口的查询相同：税则（tariff）、归类决定（rulings）和申报案例（cases）三张表。\n"
        "\n"
        "选项：\n"
        "  --code 编码      按编码前缀查询；可照文件写法带点，如 0201.30（点会先去掉）\n"
        "  --name 品名      按品名中的片段查询（拉丁字母不区分大小写）\n"
        "                   --code 与 --name 至少给一个；都给时两者都须符合\n"
        "  --table 表       只输出一张表：tariff（税则）、rulings（归类决定）或 cases（申报案例）；默认三张都输出\n"
        "  --format 格式    text（默认）：每张表一段，按显示宽度对齐，先写表名和行数\n"
        "                   csv：整个输出是一张 RFC 4180 表格（逗号分隔、CRLF 换行、必要时加双引号）；\n"
        "                        输出多张表时首列 table 写表名，列为各表列的并集，缺的列留空；\n"
        "                        编码写成 =\"0201300090\"，电子表格打开时按文本显示，不会丢掉前导 0\n"
        "                        或把 01012100.10 当成小数（脚本读取时去掉 =\" 和 \" 即可）\n"
        "                   json：每行一个 JSON 对象，键为 table 和各列标题，值都是字符串\n"
        "  --csv            即 --format csv\n"
        "  --db 路径        数据库：一个文件夹（其中的 quorvel.mdb）或一个数据库文件（如 my.mdb）\n"
        "  --help           显示本帮助并退出\n"
        "  --version        显示版本并退出\n"
        "\n"
        "rates 子命令：列出一个商品编码公布的全部税率（最惠国、暂定、普通、各协定及其成员国、出口），\n"
        "并给出一行结论，与主窗口的“按原产地查看税率”相同。\n"
        "  编码             商品编码，可带点，如 0201.30.00.90\n"
        "  --origin 原产国  按原产国（地区）标出最低的适用税率（最低一列为 ★），名称与窗口中的选项相同\n"
        "  --format 格式    text（默认）：对齐的税率表，空一行后是结论；csv：只有税率表；\n"
        "                   json：每个税率一个对象，最后一行为 {\"summary\": 结论}\n"
        "  --db 路径        同上\n"
        "  数据库未保存税率数据或此编码没有税率时，在标准错误输出中说明，退出状态为 1。\n"
        "\n"
        "suggest 子命令：按货物描述（申报品名、发票上的写法）推荐税则号列，最可能的在前，与主窗口的“按描述查”相同。\n"
        "描述可用简体或繁体、全角或半角、拼音全拼或首字母（niurou、nr）；品牌、型号、重量、包装等词不计。\n"
        "每行给出号列、品名、最惠国税率、描述中与品名相符的词，以及该 8 位编码下品名含描述中最具区分度的词的\n"
        "申报案例数和归类决定数。同义词表可在 ~/.config/zendrik/suggest-words.txt 中增补（写法见安装的说明）。\n"
        "  --top N          输出前 N 行（默认 10）\n"
        "  --format 格式    text（默认）、csv 或 json（每行一个对象），同 search\n"
        "  --db 路径        同上\n"
        "  没有相符的号列时退出状态为 1。\n"
        "\n"
        "数据库的位置（未给 --db 时）：\n"
        "  程序所在文件夹中有 quorvel.mdb 时用它；否则用用户数据文件夹\n"
        "  $XDG_DATA_HOME/zendrik/quorvel.mdb（默认 ~/.local/share/zendrik/quorvel.mdb），\n"
        "  首次使用时从安装的只读副本（<程序文件夹>/../share/zendrik/quorvel.mdb）复制过去。\n"
        "\n"
        "结果逐行输出，不在内存中保存；text 格式为对齐各列会把每张表读两遍。\n"
        "\n"
        "退出状态：\n"
        "  0  找到了结果\n"
        "  1  没有找到结果\n"
        "  2  出错：参数用法、数据库或输出（如磁盘已满）\n");
}

QString readArguments(const QStringList &args, const QStringList &valued, const QString &secondValue, QString &value,
                      bool &help, const std::function<QString(const QString &option, const QString &value)> &take) {
    bool haveValue = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--help")) {
            help = true;
            return {};
        }
        if (!a.startsWith(QLatin1String("--"))) {
            if (haveValue) return secondValue.arg(a);
            value = a;
            haveValue = true;
            continue;
        }
        if (!valued.contains(a)) return QStringLiteral("未知参数：%1").arg(a);
        if (i + 1 >= args.size()) return QStringLiteral("选项 %1 需要一个值").arg(a);
        if (const QString problem = take(a, args[++i]); !problem.isEmpty()) return problem;
    }
    return {};
}

int usageOrHelp(const QString &problem, bool help, const char *usage, QTextStream &out, QTextStream &err) {
    if (!problem.isEmpty()) {
        err << problem << '\n' << usage;
        return 2;
    }
    if (help) {
        out << CliSearch::help();
        return 0;
    }
    return -1;
}

int run(const QStringList &args, QTextStream &out, QTextStream &err) {
    Options o;
    const QString problem = parse(args, o);
    if (const int code = usageOrHelp(problem, o.help, kUsage, out, err); code >= 0) return code;
    Connection con(QStringLiteral("cli"));
    con.setConnectionString(connectionString(o.db));
    qint64 found = 0;
    try {
        CliOutput::Printer printer(o.format, o.tables, out);
        printer.begin();
        for (const SearchTables::Table table : o.tables) {
            const SearchTables::Description &d = SearchTables::describe(table);
            Query query(QStringLiteral("qry%1").arg(int(table) + 1));
            query.setConnection(&con);
            query.setFields(d.fields);
            query.setSource(SearchStatements::search(table, o.code, o.name, con));
            CliOutput::Shown shown(table);
            found += printer.print(query, shown);
        }
    } catch (const AppError &e) {
        out.flush();
        err << e.message() << '\n';
        return 2;
    } catch (const CliOutput::WriteFailed &) {
        return 2; // the caller reports the stream's failure
    }
    return found > 0 ? 0 : 1;
}

} // namespace CliSearch
