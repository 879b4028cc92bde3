// zendrik-cli: the search and a code's rates from the command line, for scripts, headless machines and measuring.
#include "cli/CliRates.h"
#include "cli/CliSearch.h"
#include "cli/CliSuggest.h"

#include "data/StoreConfig.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QFile output; // kept at hand for the reason a write failed
    output.open(stdout, QIODevice::WriteOnly);
    QTextStream out(&output);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    int code = 2;
    if (command == QLatin1String("search")) {
        code = CliSearch::run(args.mid(1), out, err);
    } else if (command == QLatin1String("rates")) {
        code = CliRates::run(args.mid(1), out, err);
    } else if (command == QLatin1String("suggest")) {
        code = CliSuggest::run(args.mid(1), out, err);
    } else if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        out << CliSearch::help();
        code = 0;
    } else if (command == QLatin1String("--version")) {
        out << "zendrik-cli " << ZENDRIK_VERSION << '\n' << QStringLiteral("数据库：") << StoreConfig::inUse() << '\n';
        if (const QString config = StoreConfig::configFile(); !config.isEmpty())
            out << QStringLiteral("配置：") << config << '\n';
        code = 0;
    } else {
        err << (command.isEmpty() ? QStringLiteral("缺少子命令") : QStringLiteral("未知子命令：%1").arg(command))
            << '\n'
            << QStringLiteral("用法：zendrik-cli search|rates|suggest [选项]；详见 zendrik-cli --help") << '\n';
    }
    // Output that did not reach its file (a full disk, a closed pipe) is trouble, not success.
    out.flush();
    if (out.status() != QTextStream::Ok || !output.flush() || std::ferror(stdout)) {
        err << QStringLiteral("无法写出结果：%1").arg(output.errorString()) << '\n';
        code = 2;
    }
    err.flush();
    return code;
}
