// zendrik-cli: the search from the command line, for scripts, headless machines and measuring.
#include "cli/CliSearch.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = CliSearch::run(app.arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return code;
}
