// zendrik-dbbuilder: makes lookup databases (schema, reference data, demo set, synthetic data).
#include "data/AppError.h"
#include "dbbuilder/Commands.h"
#include "dbbuilder/EditionDiff.h"
#include "dbbuilder/ServerCopy.h"
#include "dbbuilder/UpdateFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QStringList>
#include <cstdio>

namespace {

const char kUsage[] = "用法：\n"
                      "  zendrik-dbbuilder create DB [--force]\n"
                      "  zendrik-dbbuilder load DB DIR [--diff] [--format text|csv|json] [--codes FILE]\n"
                      "  zendrik-dbbuilder diff OLD.mdb NEW.mdb [--format text|csv|json] [--codes FILE]\n"
                      "  zendrik-dbbuilder demo DB [--if-missing | --force]\n"
                      "  zendrik-dbbuilder generate DB --tariff N --rulings N --cases N [--seed S] [--force]\n"
                      "  zendrik-dbbuilder cluster DB\n"
                      "  zendrik-dbbuilder updates DB OUTDIR --files N --records R [--seed S]\n"
                      "  zendrik-dbbuilder toserver DB CONFIG [--force]\n"
                      "DB 也可以是服务器的配置文件（zendrik.conf，以 .conf 结尾）：数据库建在该服务器上。\n";

void say(const QString &text) { std::fprintf(stderr, "%s\n", text.toUtf8().constData()); }

struct UsageError {
    QString message;
};

// Arguments after the sub-command: positional ones in order, flags and "--name value" options.
struct Arguments {
    QStringList positional;
    QStringList flags;
    QHash<QString, QString> values;

    Arguments(const QStringList &args, const QStringList &valued) {
        for (int i = 0; i < args.size(); ++i) {
            const QString &a = args[i];
            if (!a.startsWith(QStringLiteral("--"))) {
                positional << a;
            } else if (valued.contains(a)) {
                if (i + 1 >= args.size()) throw UsageError{a + QStringLiteral(" 需要一个值")};
                values[a] = args[++i];
            } else {
                flags << a;
            }
        }
    }
    void expect(int count, const QStringList &allowedFlags) const {
        if (positional.size() != count)
            throw UsageError{QStringLiteral("应有 %1 个参数，实有 %2 个").arg(count).arg(positional.size())};
        for (const QString &f : flags)
            if (!allowedFlags.contains(f)) throw UsageError{QStringLiteral("未知选项 ") + f};
    }
    int number(const QString &name, bool required) const {
        if (!values.contains(name)) {
            if (required) throw UsageError{name + QStringLiteral(" 是必需的")};
            return 0;
        }
        bool ok = false;
        const int n = values[name].toInt(&ok);
        if (!ok || n < 0) throw UsageError{name + QStringLiteral(" 需要一个数字，而不是 ") + values[name]};
        return n;
    }
};

// The report of `diff` and `load --diff`: its format and the user's own list of codes.
struct DiffOptions {
    DiffFormat format = DiffFormat::Text;
    QStringList codes;
};

DiffOptions diffOptions(const Arguments &a) {
    DiffOptions o;
    if (a.values.contains(QStringLiteral("--format"))) {
        try {
            o.format = diffFormat(a.values[QStringLiteral("--format")]);
        } catch (const AppError &e) {
            throw UsageError{e.message()};
        }
    }
    if (a.values.contains(QStringLiteral("--codes"))) o.codes = readCodeList(a.values[QStringLiteral("--codes")]);
    return o;
}

void print(const QString &text) { std::fputs(text.toUtf8().constData(), stdout); }

Builder::Existing existing(const Arguments &a) {
    if (a.flags.contains(QStringLiteral("--if-missing")) && a.flags.contains(QStringLiteral("--force")))
        throw UsageError{QStringLiteral("--if-missing and --force exclude each other")};
    if (a.flags.contains(QStringLiteral("--if-missing"))) return Builder::Existing::Keep;
    if (a.flags.contains(QStringLiteral("--force"))) return Builder::Existing::Replace;
    return Builder::Existing::Refuse;
}

QString sizeOf(const QString &path) {
    return QStringLiteral("%1 MB").arg(QFileInfo(path).size() / 1048576.0, 0, 'f', 1);
}

int run(const QStringList &args) {
    if (args.isEmpty()) throw UsageError{QStringLiteral("没有给出命令")};
    const QString command = args.first();
    QElapsedTimer clock;
    clock.start();
    if (command == QLatin1String("create")) {
        const Arguments a(args.mid(1), {});
        a.expect(1, {"--force"});
        Builder::createDatabase(a.positional[0], existing(a));
        say(QStringLiteral("已创建 %1").arg(a.positional[0]));
    } else if (command == QLatin1String("load")) {
        const Arguments a(args.mid(1), {"--format", "--codes"});
        a.expect(2, {"--diff"});
        const QString &db = a.positional[0];
        if (Builder::namesServer(db) && a.flags.contains(QStringLiteral("--diff")))
            throw UsageError{QStringLiteral("--diff 只能比较数据库文件，不能用于服务器")};
        // The edition being replaced is read before the load, to report what the new one changes.
        const bool diff = a.flags.contains(QStringLiteral("--diff")) && QFileInfo::exists(db);
        const DiffOptions options = diffOptions(a);
        const Edition before = diff ? readEdition(db) : Edition();
        const LoadSummary s = Builder::loadDatabase(db, a.positional[1]);
        for (const QString &note : s.notes) say(note);
        say(QStringLiteral("已导入 %1，用时 %2 秒").arg(db).arg(clock.elapsed() / 1000.0));
        if (diff) print(formatChanges(diffEditions(before, readEdition(db), options.codes), options.format));
        else if (a.flags.contains(QStringLiteral("--diff")))
            say(QStringLiteral("%1 是新建的数据库：没有可比较的旧版本").arg(db));
    } else if (command == QLatin1String("diff")) {
        const Arguments a(args.mid(1), {"--format", "--codes"});
        a.expect(2, {});
        const DiffOptions options = diffOptions(a);
        print(formatChanges(diffEditions(readEdition(a.positional[0]), readEdition(a.positional[1]), options.codes),
                            options.format));
    } else if (command == QLatin1String("demo")) {
        const Arguments a(args.mid(1), {});
        a.expect(1, {"--if-missing", "--force"});
        if (Builder::buildDemo(a.positional[0], existing(a)))
            say(QStringLiteral("已生成演示数据库 %1").arg(a.positional[0]));
        else say(QStringLiteral("%1 已经存在，保持不变（删除它即可重新生成）").arg(a.positional[0]));
    } else if (command == QLatin1String("generate")) {
        const Arguments a(args.mid(1), {"--tariff", "--rulings", "--cases", "--seed"});
        a.expect(1, {"--force"});
        GeneratorOptions o;
        o.tariff = a.number(QStringLiteral("--tariff"), true);
        o.rulings = a.number(QStringLiteral("--rulings"), true);
        o.cases = a.number(QStringLiteral("--cases"), true);
        if (a.values.contains(QStringLiteral("--seed"))) o.seed = a.number(QStringLiteral("--seed"), true);
        Builder::generateDatabase(a.positional[0], o, existing(a));
        say(QStringLiteral("已生成 %1（税则 %2 行，归类决定 %3 条，案例 %4 条），用时 %5 秒，%6")
                .arg(a.positional[0])
                .arg(o.tariff)
                .arg(o.rulings)
                .arg(o.cases)
                .arg(clock.elapsed() / 1000.0)
                .arg(Builder::namesServer(a.positional[0]) ? QStringLiteral("在服务器上") : sizeOf(a.positional[0])));
    } else if (command == QLatin1String("cluster")) {
        const Arguments a(args.mid(1), {});
        a.expect(1, {});
        Builder::clusterDatabase(a.positional[0]);
        say(QStringLiteral("已按商品编码重排 %1 的案例，用时 %2 秒")
                .arg(a.positional[0])
                .arg(clock.elapsed() / 1000.0));
    } else if (command == QLatin1String("updates")) {
        // Monthly update files for the database, to age a copy of it by importing them.
        const Arguments a(args.mid(1), {"--files", "--records", "--seed"});
        a.expect(2, {});
        UpdateFileOptions o;
        o.files = a.number(QStringLiteral("--files"), true);
        o.records = a.number(QStringLiteral("--records"), true);
        if (a.values.contains(QStringLiteral("--seed"))) o.seed = a.number(QStringLiteral("--seed"), true);
        for (const QString &file : writeUpdateFiles(a.positional[0], a.positional[1], o))
            say(QStringLiteral("已写入 %1（%2 条，%3）").arg(file).arg(o.records).arg(sizeOf(file)));
        say(QStringLiteral("用时 %1 秒").arg(clock.elapsed() / 1000.0));
    } else if (command == QLatin1String("toserver")) {
        // The database file onto the server a zendrik.conf names.
        const Arguments a(args.mid(1), {});
        a.expect(2, {"--force"});
        const auto counts =
            ServerCopy::copy(a.positional[0], a.positional[1], a.flags.contains(QStringLiteral("--force")));
        for (const ServerCopy::TableCount &c : counts) say(QStringLiteral("%1：%2 行").arg(c.table).arg(c.rows));
        say(QStringLiteral("已复制到服务器，用时 %1 秒").arg(clock.elapsed() / 1000.0));
    } else {
        throw UsageError{QStringLiteral("未知命令 ") + command};
    }
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    try {
        return run(app.arguments().mid(1));
    } catch (const UsageError &e) {
        say(e.message);
        std::fputs(kUsage, stderr);
        return 2;
    } catch (const AppError &e) {
        say(QStringLiteral("错误：") + e.message());
        return 1;
    }
}
