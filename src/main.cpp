#include "app/Program.h"

#include <QApplication>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    runProgram(QStringLiteral("loOneCopy"));
    return 0;
}
