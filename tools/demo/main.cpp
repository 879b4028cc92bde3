// The program itself, pointed at another vendor site (a local copy for demos):
//   zendrik-demo http://127.0.0.1:8080
// Everything else is the real desktop: the same start, windows, dialogs and browser.
#include "app/Program.h"
#include "platform/DesktopPlatform.h"

#include <QApplication>
#include <QTextStream>

namespace {
class DemoPlatform : public DesktopPlatform {
public:
    explicit DemoPlatform(QString root) : root_(std::move(root)) {}
    QString vendorRoot() const override { return root_; }

private:
    QString root_;
};
} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QString root = app.arguments().value(1);
    if (!root.startsWith(QLatin1String("http://"))) {
        QTextStream(stderr) << "usage: zendrik-demo http://HOST:PORT\n";
        return 2;
    }
    while (root.endsWith(u'/')) root.chop(1);
    DemoPlatform platform(root);
    Platform::install(&platform);
    runProgram(QStringLiteral("loOneCopy"));
    Platform::install(nullptr);
    return 0;
}
