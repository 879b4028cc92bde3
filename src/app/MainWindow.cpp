#include "app/MainWindow.h"

#include "app/AdvertBanner.h"
#include "app/DetailPanel.h"
#include "app/ImportWindow.h"
#include "app/KeyboardRoutes.h"
#include "app/NewsTicker.h"
#include "app/PerUnitCells.h"
#include "app/ResultTabs.h"
#include "app/SearchStrip.h"
#include "app/SpecialRatesPanel.h"
#include "app/SuggestPanel.h"
#include "app/UserSettings.h"
#include "app/WheelRows.h"
#include "chrome/AboutWindow.h"
#include "chrome/ClickLabel.h"
#include "chrome/Colors.h"
#include "chrome/Fonts.h"
#include "chrome/LinkLook.h"
#include "chrome/PictureButton.h"
#include "chrome/Resources.h"
#include "chrome/ScreenPlace.h"
#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/DatabasePath.h"
#include "data/Query.h"
#include "data/RateSchema.h"
#include "grid/DataGrid.h"
#include "platform/Platform.h"
#include "rates/PerUnitText.h"
#include "updates/VendorFeeds.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QScreen>
#include <QShortcut>
#include <QUrl>

namespace {
const QString kPlaceKey = QStringLiteral("mainWindow/position");
const QString kTabKey = QStringLiteral("mainWindow/tab");

QString vendorAddress(const QString &path) { return Platform::instance().vendorRoot() + path; }

PictureButton *pictureButton(QWidget *parent, const char *name, QRect geometry, const QString &picture) {
    PictureButton *b = PictureButton::withPictures(parent, geometry, picture);
    b->setObjectName(QLatin1String(name));
    return b;
}
} // namespace

MainWindow::MainWindow(QWidget *parent) : SkinnedWindow(parent), rateTexts_(std::make_shared<PerUnitText>()) {
    setObjectName(QStringLiteral("Form2"));
    loadChromeResources();
    setWindowTitle(QStringLiteral("Zendrik查-商品编码查询工具"));
    client_ = clientArea();
    client_->setObjectName(QStringLiteral("client"));
    setClientSize({kClientWidth, kClientHeight});
    client_->setAutoFillBackground(true);
    QPalette pal = client_->palette();
    pal.setColor(QPalette::Window, Colors::skyBlue);
    client_->setPalette(pal);
    client_->setFont(Fonts::song(12));

    // Controls made later lie over those made earlier where they overlap.
    buildHeader();
    banner_ = new AdvertBanner(client_);
    search_ = new SearchStrip(client_);
    results_ = new ResultTabs(client_, connection_);
    buildStatusLine();
    detail_ = new DetailPanel(client_, connection_);
    specialRates_ = new SpecialRatesPanel(client_);
    suggest_ = new SuggestPanel(client_, connection_);

    showPerUnitText(results_->grid(SearchTables::OfficialHs)->gridModel(), connection_, rateTexts_,
                    QStringLiteral("low_rate"), RateSchema::kMfn);
    GridModel *tariffRow = detail_->grid(DetailPanel::TariffRow)->gridModel();
    showPerUnitText(tariffRow, connection_, rateTexts_, QStringLiteral("low_rate"), RateSchema::kMfn);
    showPerUnitText(tariffRow, connection_, rateTexts_, QStringLiteral("high_rate"), RateSchema::kGeneral);

    connect(search_, &SearchStrip::searchRequested, this, &MainWindow::search);
    connect(results_, &ResultTabs::userActed, search_, &SearchStrip::hideWarning);
    connect(banner_, &AdvertBanner::clicked, search_, &SearchStrip::hideWarning);
    connect(results_, &ResultTabs::codeChosen, this, &MainWindow::showDetail);
    connect(results_, &ResultTabs::specialRatesChosen, this, &MainWindow::showSpecialRates);
    connect(backButton_, &PictureButton::clicked, this, &MainWindow::goBack);
    connect(search_, &SearchStrip::describeRequested, this, &MainWindow::showSuggestions);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this), &QShortcut::activated, this,
            [this] { showSuggestions(search_->nameBox()->text()); });
    connect(suggest_, &SuggestPanel::codeChosen, this, [this](const QString &code) {
        showDetail(code, SearchTables::OfficialHs);
        detail_->panel()->raise(); // over the description search
        detailFromSuggestions_ = true;
    });
    new KeyboardRoutes(*this);
    wheelRows_ = std::make_unique<WheelRows>(
        QList<DataGrid *>{results_->grid(SearchTables::OfficialHs), results_->grid(SearchTables::HsClassify),
                          results_->grid(SearchTables::CaseHs), detail_->grid(DetailPanel::TradeModes)},
        nullptr);

    start();
    // Opens centred on the desktop.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}

MainWindow::~MainWindow() {
    // The wheel routing sees events while the children are deleted: it goes first.
    wheelRows_.reset();
}

void MainWindow::buildHeader() {
    header_ = new QLabel(client_);
    header_->setObjectName(QStringLiteral("imgForm"));
    header_->setGeometry(0, 0, kClientWidth, 136);
    header_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    header_->setPixmap(QPixmap(QStringLiteral(":/images/header.bmp")));

    auto *edition = new QLabel(QStringLiteral("2011年进出口商品特定税率表"), client_);
    edition->setObjectName(QStringLiteral("lbl11"));
    edition->setFont(Fonts::song(10));
    edition->setGeometry(288, 136, 130, 10);

    auto *update = pictureButton(client_, "imgupdate", {32, 8, 80, 81}, QStringLiteral("update"));
    auto *about = pictureButton(client_, "imgabout", {112, 8, 80, 81}, QStringLiteral("about"));
    exitButton_ = pictureButton(client_, "imgreturn", {192, 8, 80, 81}, QStringLiteral("exit"));
    backButton_ = pictureButton(client_, "imgreturn1", {192, 8, 80, 81}, QStringLiteral("back"));
    backButton_->hide();
    connect(update, &PictureButton::clicked, this, &MainWindow::openImportWindow);
    connect(about, &PictureButton::clicked, this, &MainWindow::openAboutWindow);
    // Ends the message loop at once, without a close request.
    connect(exitButton_, &PictureButton::clicked, this, [] { QCoreApplication::exit(0); });
}

void MainWindow::buildStatusLine() {
    version_ = new QLabel(QStringLiteral("版本号:V1.0"), client_);
    version_->setObjectName(QStringLiteral("lbl7"));
    version_->setGeometry(20, kStatusTop, 65, 20);
    version_->setAutoFillBackground(true);
    updateDate_ = new QLabel(client_);
    updateDate_->setObjectName(QStringLiteral("lbl8"));
    updateDate_->move(112, kStatusTop);
    updateDate_->adjustSize();
    ticker_ = new NewsTicker(client_);

    auto *site = new ClickLabel(client_);
    siteLink_ = site;
    site->setObjectName(QStringLiteral("lbl13"));
    site->setGeometry(kSiteLinkLeft, kStatusTop, 138, 12);
    site->setFont(Fonts::song(12));
    site->setText(QStringLiteral("Zendrik网  ") + QUrl(Platform::instance().vendorRoot()).host());
    LinkLook::followHover(site);
    connect(site, &ClickLabel::clicked, this, [] { Platform::instance().openAddress(vendorAddress(QString())); });
}

void MainWindow::start() {
    try {
        connection_.setConnectionString(DatabasePath::lookupConnectionString());
        if (Platform::instance().isReachable(vendorAddress(QString()))) {
            try {
                VendorFeeds::refresh(connection_,
                                     vendorAddress(QStringLiteral("/download/secretSecurityDownload-0529.html")),
                                     vendorAddress(QStringLiteral("/download/secretSecurityDownload-7981.html")));
            } catch (const AppError &e) {
                Notify::error(this, e.message());
            }
            banner_->showStored(connection_);
        } else {
            banner_->showFallback();
        }

        // A case table without rows or without dates has no update date: the label stays empty.
        Query newest(QStringLiteral("qry8"));
        newest.open(connection_, QStringLiteral("select max(update_date) as update_date from case_hs"));
        const QVariant date = newest.value(QStringLiteral("update_date"));
        showUpdateDate(updateDate_, date.isNull() ? QString() : date.toString());

        // Without news the ticker stays idle and start-up goes on.
        ticker_->load(connection_);
        results_->showFirstRows();
    } catch (const AppError &e) {
        Notify::error(this, e.message());
    }
}

void MainWindow::search(const QString &code, const QString &name) {
    try {
        results_->search(code, name);
    } catch (const AppError &e) {
        Notify::error(this, e.message());
    }
}

void MainWindow::closeEvent(QCloseEvent *event) {
    ticker_->clear();
    event->accept();
    // Closing the main window ends the program, whatever other windows are open.
    QCoreApplication::exit(0);
}

void MainWindow::openImportWindow() {
    Platform::instance().openAddress(vendorAddress(QStringLiteral("/download/toDownloadSoftware-2.html")));
    // A new import window per click, without owner; it lives until the program ends.
    auto *importWindow = new ImportWindow;
    connect(importWindow, &ImportWindow::updateDateChanged, this, [this](const QString &date) {
        showUpdateDate(updateDate_, date);
        suggest_->forget(); // the history grew
    });
    importWindow->show();
}

void MainWindow::showUpdateDate(QLabel *label, const QString &date) {
    label->setText(date.isNull() ? QString() : QStringLiteral("数据更新时间:") + date);
    label->adjustSize(); // sized to its text
}

void MainWindow::openAboutWindow() {
    // A new About window per click, without owner; closing it only hides it.
    auto *about = new AboutWindow;
    about->showCentredOver(this);
}

void MainWindow::showDetail(const QString &shownCode, Table from) {
    // A case code is looked up as it shows, dot included.
    detail_->load(ScrambleCode(shownCode));
    detail_->panel()->show();
    // The tariff grid stays behind the detail panel; the other result grids are hidden.
    if (from != SearchTables::OfficialHs) results_->panel()->hide();
    viewOpenedFrom_ = from;
    showResultButtons(false);
}

void MainWindow::showSuggestions(const QString &description) {
    search_->hideWarning();
    detail_->panel()->hide();
    specialRates_->panel()->hide();
    detailFromSuggestions_ = false;
    suggest_->open(description);
    showResultButtons(false);
}

void MainWindow::showSpecialRates(const QString &shownCode) {
    specialRates_->showCode(shownCode);
    viewOpenedFrom_ = SearchTables::OfficialHs;
    showResultButtons(false);
}

bool MainWindow::inView() const { return backButton_->isVisibleTo(client_); }

void MainWindow::goBack() {
    search_->hideWarning();
    if (detailFromSuggestions_ && detail_->panel()->isVisible()) {
        detail_->panel()->hide();
        detailFromSuggestions_ = false;
        suggest_->panel()->raise();
        return;
    }
    suggest_->panel()->hide();
    detail_->panel()->hide();
    specialRates_->panel()->hide();
    results_->showTab(viewOpenedFrom_);
    showResultButtons(true);
}

MainWindow::Table MainWindow::openTab() const { return inView() ? viewOpenedFrom_ : results_->shownTab(); }

// The results show the tabs and the exit button; a view shows the back button in its place.
void MainWindow::showResultButtons(bool showResults) {
    results_->setTabsVisible(showResults);
    exitButton_->setVisible(showResults);
    backButton_->setVisible(!showResults);
}

void MainWindow::resizeEvent(QResizeEvent *event) {
    SkinnedWindow::resizeEvent(event);
    if (!specialRates_) return; // still being built
    const int dx = client_->width() - kClientWidth;
    const int dy = client_->height() - kClientHeight;
    auto grown = [](int designed, int extra) { return std::max(0, designed + extra); };

    header_->resize(client_->width(), header_->height());
    results_->resize({grown(kClientWidth, dx), grown(400, dy)});
    detail_->grow(dx, dy);
    specialRates_->panel()->resize(grown(801, dx), grown(400, dy));
    suggest_->resize({grown(kClientWidth, dx), grown(400, dy)});
    // The status line keeps to the bottom, the site link to the right.
    for (QWidget *w : std::initializer_list<QWidget *>{version_, updateDate_, ticker_->label()})
        w->move(w->x(), kStatusTop + dy);
    siteLink_->move(kSiteLinkLeft + dx, kStatusTop + dy);
}

void MainWindow::rememberPlace() {
    QSettings s = userSettings();
    // A maximized window keeps the place it returns to.
    s.setValue(kPlaceKey, (isMaximized() || isFullScreen()) ? normalGeometry().topLeft() : pos());
    s.setValue(kTabKey, openTab() + 1);
}

void MainWindow::restorePlace() {
    const QSettings s = userSettings();
    const int tab = s.value(kTabKey, 1).toInt();
    if (tab == 2 || tab == 3) results_->showTab(Table(tab - 1));
    const QVariant saved = s.value(kPlaceKey);
    // At the first start the window stays centred, as it opens.
    if (saved.canConvert<QPoint>()) ScreenPlace::restore(*this, saved.toPoint());
}

bool MainWindow::focusNextPrevChild(bool next) {
    // The tariff grid stays shown behind a detail view: Tab passes over what is covered.
    const bool covered = detail_->panel()->isVisible() || specialRates_->panel()->isVisible();
    QWidget *from = QApplication::focusWidget();
    for (int tries = 0; tries < 16; ++tries) {
        if (!SkinnedWindow::focusNextPrevChild(next)) return false;
        QWidget *now = QApplication::focusWidget();
        if (!covered || !now || !results_->panel()->isAncestorOf(now) || now == from) return true;
    }
    return true;
}
