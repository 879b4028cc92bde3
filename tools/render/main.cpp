// Renders a window of the program offscreen to a PNG, against the lookup database beside this
// executable (or in the folder given), so anyone can look at it without a display.
//   zendrik-render main out.png [folder]
//   zendrik-render main-online out.png [folder]  (with a local copy of the vendor site: the feeds'
//                                                 news and the downloaded advertisement, which are
//                                                 stored in that database, as the program would)
//   zendrik-render detail out.png folder code    (the detail view of a tariff code)
//   zendrik-render detail-elements out.png folder code  (the same with the list of the code's
//                                                 declaration elements opened)
//   zendrik-render tooltip out.png folder code   (the tariff grid after a search for a code, the
//                                                 pointer resting on the first row's declaration
//                                                 elements, which the row cuts)
//   zendrik-render special out.png folder code   (the special tariff rate view of a code)
//   zendrik-render suggest out.png folder "描述"  (the description search's ranked lines)
//   zendrik-render rates out.png folder code     (that view alone, wide enough for every column)
//   zendrik-render origin-rates out.png folder code [origin]  (every published rate of a code by
//                                                 origin, opened from its detail view)
//   zendrik-render rulings|cases out.png folder [code]  (the main window on that grid)
//   zendrik-render menu out.png folder [code]    (the main window after a search for code, two
//                                                 rows of the tariff grid selected and its
//                                                 context menu open over them)
//   zendrik-render about out.png [folder]        (the About window)
//   zendrik-render import out.png [folder] [file] (the update import window, a file chosen)
//   zendrik-render filedialog out.png [folder] [dir] (the import's open-file dialog, as the
//                                                 program shows it, in dir)
#include "app/DeclarationStrip.h"
#include "app/DetailPanel.h"
#include "app/ImportWindow.h"
#include "app/MainWindow.h"
#include "app/QtChinese.h"
#include "app/RatesByOrigin.h"
#include "app/ResultTabs.h"
#include "app/SearchStrip.h"
#include "app/SpecialRatesView.h"
#include "chrome/AboutWindow.h"
#include "data/DatabasePath.h"
#include "grid/DataGrid.h"
#include "platform/DesktopPlatform.h"
#include "platform/RecordingPlatform.h"
#include "vendorsite/VendorSite.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <memory>

namespace {

// Rests the pointer on a grid's first cell of a field, as the user does, and draws the tooltip
// that shows onto the window's picture; false when none shows.
bool drawTooltip(DataGrid *grid, const QString &field, QPixmap &shot, QWidget *window) {
    const int column = grid->gridModel()->columnOf(field);
    const QRect cell = grid->visualRect(grid->model()->index(0, column));
    const QPoint at = cell.center();
    QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &help);
    QApplication::processEvents();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (!w->inherits("QTipLabel") || !w->isVisible()) continue;
        QPainter p(&shot);
        p.drawPixmap(w->geometry().topLeft() - window->geometry().topLeft(), w->grab());
        return true;
    }
    return false;
}

// Types a code into the code box and presses Enter, as the user does.
void searchFor(MainWindow &form, const QString &code) {
    QLineEdit *box = form.searchStrip()->codeBox();
    box->setText(code);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
}
} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installQtChinese();
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        QTextStream(stderr)
            << "usage: zendrik-render main|main-online|detail|detail-elements|tooltip|special|rates|origin-rates|menu|"
               "about|import|sorted|"
               "filedialog "
               "OUT.png [FOLDER] [CODE]\n";
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
    // The user's own remembered searches and choices are neither read nor changed.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QWidget *window = nullptr;
    MainWindow form;
    const QString code = args.value(4);
    if (args[1] == QLatin1String("main") || args[1] == QLatin1String("main-online")) window = &form;
    // The main window with the rulings or the case grid shown; CODE, when given, is searched.
    if (args[1] == QLatin1String("rulings") || args[1] == QLatin1String("cases")) {
        if (!code.isEmpty()) searchFor(form, code);
        form.results()->showTab(args[1] == QLatin1String("rulings") ? SearchTables::HsClassify : SearchTables::CaseHs);
        window = &form;
    }
    if (args[1] == QLatin1String("detail") || args[1] == QLatin1String("detail-elements")) {
        form.showDetail(code, SearchTables::OfficialHs);
        if (args[1] == QLatin1String("detail-elements")) form.detail()->declarationStrip()->setListOpen(true);
        window = &form;
    }
    // The tariff grid of a search for CODE sorted by its code column from the highest, as two clicks
    // on the title leave it, once the sorted rows and the counts have come.
    if (args[1] == QLatin1String("sorted")) {
        searchFor(form, code);
        form.show();
        DataGrid *grid = form.results()->grid(SearchTables::OfficialHs);
        for (int c = 0; c < grid->gridModel()->columnCount(); ++c)
            if (grid->gridModel()->fieldAt(c) == QLatin1String("hs_code"))
                grid->horizontalHeader()->setSortIndicator(c, Qt::DescendingOrder);
        const QLabel *counts = form.findChild<QLabel *>(QStringLiteral("lblCounts"));
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 5000 &&
               (grid->gridModel()->text(0, 0).isEmpty() || counts->text().contains(u'…') || !counts->isVisible()))
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        window = &form;
    }
    const bool tooltip = args[1] == QLatin1String("tooltip");
    if (tooltip) {
        searchFor(form, code);
        window = &form;
    }
    // The description search's view, the fourth argument the description.
    if (args[1] == QLatin1String("suggest")) {
        form.showSuggestions(code);
        window = &form;
    }
    if (args[1] == QLatin1String("special")) {
        form.showSpecialRates(code);
        window = &form;
    }
    if (args[1] == QLatin1String("origin-rates")) {
        form.showDetail(code, SearchTables::OfficialHs);
        form.detail()->openRatesByOrigin();
        if (!form.detail()->ratesByOrigin()) {
            QTextStream(stderr) << code << " has no tariff row\n";
            return 1;
        }
        const QString origin = args.value(5);
        if (!origin.isEmpty()) {
            auto *origins = form.detail()->ratesByOrigin()->findChild<QComboBox *>(QStringLiteral("origin"));
            origins->setCurrentIndex(origins->findText(origin));
        }
        window = form.detail()->ratesByOrigin();
    }
    QMenu *menu = nullptr;
    if (args[1] == QLatin1String("menu")) {
        searchFor(form, code);
        form.show();
        QApplication::processEvents();
        DataGrid *grid = form.results()->grid(SearchTables::OfficialHs);
        grid->setFocus();
        const int last = std::min(1, grid->model()->rowCount() - 1);
        const QModelIndex from = grid->model()->index(0, 1), to = grid->model()->index(last, 2);
        grid->selectionModel()->select(QItemSelection(from, to), QItemSelectionModel::ClearAndSelect);
        grid->selectionModel()->setCurrentIndex(to, QItemSelectionModel::NoUpdate);
        const QPoint at = grid->visualRect(to).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &event);
        menu = grid->findChild<QMenu *>(QStringLiteral("gridMenu"));
        window = &form;
    }
    std::unique_ptr<SpecialRatesView> rates;
    if (args[1] == QLatin1String("rates")) {
        rates = std::make_unique<SpecialRatesView>(code);
        rates->resize(rates->grid()->horizontalHeader()->length() + 4, 200);
        window = rates.get();
    }
    std::unique_ptr<AboutWindow> about;
    if (args[1] == QLatin1String("about")) {
        about = std::make_unique<AboutWindow>();
        window = about.get();
    }
    std::unique_ptr<ImportWindow> importWindow;
    if (args[1] == QLatin1String("import")) {
        importWindow = std::make_unique<ImportWindow>();
        platform.nextFileName = code;
        if (!code.isEmpty()) importWindow->chooseFile();
        window = importWindow.get();
    }
    std::unique_ptr<QFileDialog> dialog;
    if (args[1] == QLatin1String("filedialog")) {
        importWindow = std::make_unique<ImportWindow>(form.findChild<QLabel *>(QStringLiteral("lbl8")));
        importWindow->show();
        dialog = DesktopPlatform::fileDialog(importWindow.get());
        if (!code.isEmpty()) dialog->setDirectory(code);
        window = dialog.get();
    }
    if (!window) {
        QTextStream(stderr) << "unknown window: " << args[1] << "\n";
        return 2;
    }
    window->show();
    QApplication::processEvents();
    // The file dialog lists its folder from a background thread: give it a moment.
    if (dialog) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 800) QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    for (const auto &box : platform.boxes) QTextStream(stderr) << box.caption << ": " << box.text << "\n";
    QPixmap shot = window->grab();
    if (tooltip && !drawTooltip(form.results()->grid(SearchTables::OfficialHs), QStringLiteral("spec"), shot, window)) {
        QTextStream(stderr) << "no cut declaration elements in the first row\n";
        return 1;
    }
    // A popup menu is a window of its own: drawn onto the picture where it stands.
    if (menu) QPainter(&shot).drawPixmap(menu->pos() - window->pos(), menu->grab());
    return shot.save(args[2]) ? 0 : 1;
}
