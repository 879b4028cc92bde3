// Renders a window of the program offscreen to a PNG, against the lookup database beside this
// executable (or in the folder given), so anyone can look at it without a display.
//   zendrik-render main out.png [folder]
// "main-online" starts a local copy of the vendor site first, so the window shows the feeds'
// news and the downloaded advertisement (they are stored in that database, as the program would).
#include "app/Unit2.h"
#include "data/DatabasePath.h"
#include "platform/RecordingPlatform.h"
#include "vendorsite/VendorSite.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        QTextStream(stderr) << "usage: zendrik-render main|main-online OUT.png [FOLDER]\n";
        return 2;
    }
    if (args.size() > 3) DatabasePath::setExecutableDir(args[3]);
    RecordingPlatform platform; // offline, and boxes are printed instead of shown
    VendorSite site;
    if (args[1] == QLatin1String("main-online")) {
        if (!site.listen()) {
            QTextStream(stderr) << "cannot start the local vendor site: " << site.errorString() << "\n";
            return 1;
        }
        platform.root = site.root();
        platform.reachable = true;
    }
    Platform::setApplicationTitle(QStringLiteral("Zendrik查"));
    QWidget *window = nullptr;
    TForm2 form;
    if (args[1] == QLatin1String("main") || args[1] == QLatin1String("main-online")) window = &form;
    if (!window) {
        QTextStream(stderr) << "unknown window: " << args[1] << "\n";
        return 2;
    }
    window->show();
    QApplication::processEvents();
    for (const auto &box : platform.boxes) QTextStream(stderr) << box.caption << ": " << box.text << "\n";
    return window->grab().save(args[2]) ? 0 : 1;
}
