// Renders a window of the program offscreen to a PNG, against the lookup database beside this
// executable (or in the folder given), so anyone can look at it without a display.
//   zendrik-render main out.png [folder]
//   zendrik-render detail out.png folder code    (the detail view of a tariff code)
//   zendrik-render special out.png folder code   (the special tariff rate view of a code)
//   zendrik-render rates out.png folder code     (that view alone, wide enough for every column)
#include "app/DataGrid.h"
#include "app/Unit2.h"
#include "app/Unit4.h"
#include "data/DatabasePath.h"
#include "platform/RecordingPlatform.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QTextStream>
#include <memory>

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        QTextStream(stderr) << "usage: zendrik-render main|detail|special|rates OUT.png [FOLDER] [CODE]\n";
        return 2;
    }
    if (args.size() > 3)
        DatabasePath::setExecutableDir(args[3]);
    RecordingPlatform platform; // offline, and boxes are printed instead of shown
    Platform::setApplicationTitle(QStringLiteral("Zendrik查"));
    QWidget *window = nullptr;
    TForm2 form;
    const QString code = args.value(4);
    if (args[1] == QLatin1String("main"))
        window = &form;
    if (args[1] == QLatin1String("detail")) {
        form.showDetail(code, QStringLiteral("hs_code"));
        window = &form;
    }
    if (args[1] == QLatin1String("special")) {
        form.showSpecialRates(code);
        window = &form;
    }
    std::unique_ptr<TForm4> rates;
    if (args[1] == QLatin1String("rates")) {
        form.lbl10->setText(code);
        rates = std::make_unique<TForm4>(form.lbl10);
        rates->resize(rates->dbgrdh1->horizontalHeader()->length() + 4, 200);
        window = rates.get();
    }
    if (!window) {
        QTextStream(stderr) << "unknown window: " << args[1] << "\n";
        return 2;
    }
    window->show();
    QApplication::processEvents();
    for (const auto &box : platform.boxes)
        QTextStream(stderr) << box.caption << ": " << box.text << "\n";
    return window->grab().save(args[2]) ? 0 : 1;
}
