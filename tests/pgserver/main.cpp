// Starts and stops the PostgreSQL server one ctest run shares (support/PgServer.h):
//   test_pg_server start STATEFILE    a fresh server; STATEFILE names its folder
//   test_pg_server stop STATEFILE     stops it and removes its folder
#include "support/PgServer.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv); // Qt's drivers are looked for with it
    const QStringList args = app.arguments();
    if (args.size() != 3 || (args[1] != QLatin1String("start") && args[1] != QLatin1String("stop"))) {
        std::fprintf(stderr, "usage: %s start|stop STATEFILE\n", argv[0]);
        return 2;
    }
    const bool start = args[1] == QLatin1String("start");
    const QString problem = start ? PgServer::startShared(args[2]) : PgServer::stopShared(args[2]);
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return 1;
    }
    if (start && !PgServer::installed()) std::printf("PostgreSQL is not installed: the tests on the server skip\n");
    return 0;
}
