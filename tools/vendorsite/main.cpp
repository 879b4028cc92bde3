// A local copy of the vendor site for demos and manual tests.
//   zendrik-vendorsite [--port N] [--fault PATH=KIND]...
// Prints its root address (http://127.0.0.1:PORT) on the first line and serves until stopped.
#include "vendorsite/VendorSite.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char **argv) {
    // The banner picture is drawn with fonts: a GUI application, but without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Serves the vendor site's feeds, picture and pages on 127.0.0.1."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("port"), QStringLiteral("Port to listen on; 0 picks a free one."),
                      QStringLiteral("N"), QStringLiteral("0")});
    parser.addOption({QStringLiteral("fault"),
                      QStringLiteral("Make PATH misbehave; KIND is one of: %1.")
                          .arg(VendorSite::faultNames().join(QStringLiteral(", "))),
                      QStringLiteral("PATH=KIND")});
    parser.process(app);

    QTextStream err(stderr);
    VendorSite site;
    for (const QString &spec : parser.values(QStringLiteral("fault"))) {
        const qsizetype eq = spec.lastIndexOf(u'=');
        const auto fault = VendorSite::faultNamed(spec.mid(eq + 1));
        if (eq <= 0 || !fault) {
            err << "bad --fault " << spec << ": expected PATH=KIND with KIND one of "
                << VendorSite::faultNames().join(QStringLiteral(", ")) << "\n";
            return 2;
        }
        site.setFault(spec.left(eq).toUtf8(), *fault);
    }
    bool ok = false;
    const uint port = parser.value(QStringLiteral("port")).toUInt(&ok);
    if (!ok || port > 65535) {
        err << "bad --port " << parser.value(QStringLiteral("port")) << "\n";
        return 2;
    }
    if (!site.listen(quint16(port))) {
        err << "cannot listen on 127.0.0.1:" << port << ": " << site.errorString() << "\n";
        return 1;
    }
    QTextStream(stdout) << site.root() << Qt::endl;
    QObject::connect(&site, &VendorSite::requested, [](const VendorSite::Request &r) {
        QTextStream(stderr) << r.method << ' ' << r.path << Qt::endl;
    });
    return app.exec();
}
