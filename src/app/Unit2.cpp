#include "app/MainWindow.h"

#include "app/ImportWindow.h"
#include "chrome/AboutWindow.h"
#include "chrome/ClickLabel.h"
#include "chrome/Colors.h"
#include "chrome/Fonts.h"
#include "chrome/PictureButton.h"
#include "chrome/Resources.h"
#include "data/AppError.h"
#include "data/DatabasePath.h"
#include "grid/DataGrid.h"
#include "platform/Platform.h"
#include "search/SearchStatements.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QUrl>

namespace {
const char kUpdateDateStatement[] = "select max(update_date) as update_date from case_hs";

QLabel *label(QWidget *parent, const char *name, const QString &text, QPoint at) {
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->move(at);
    l->adjustSize();
    return l;
}

PictureButton *pictureButton(QWidget *parent, const char *name, QRect geometry, const QString &picture) {
    PictureButton *b = PictureButton::withPictures(parent, geometry, picture);
    b->setObjectName(QLatin1String(name));
    return b;
}

QFrame *panel(QWidget *parent, const char *name, QRect geometry) {
    auto *p = new QFrame(parent);
    p->setObjectName(QLatin1String(name));
    p->setFrameShape(QFrame::NoFrame);
    p->setGeometry(geometry);
    p->setAutoFillBackground(true);
    return p;
}

DataGrid *grid(QWidget *parent, const char *name, QRect geometry) {
    auto *g = new DataGrid(parent);
    g->setObjectName(QLatin1String(name));
    g->setGeometry(geometry);
    return g;
}

void setLinkLook(QLabel *l, const QColor &colour, bool underline) {
    QFont f = l->font();
    f.setUnderline(underline);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, colour);
    l->setPalette(pal);
}
} // namespace

MainWindow::MainWindow(QWidget *parent) : SkinnedWindow(parent) {
    setObjectName(QStringLiteral("Form2"));
    loadChromeResources();
    setWindowTitle(QStringLiteral("Zendrik查-商品编码查询工具"));
    buildControls();
    tmr1.setInterval(5000);
    connect(&tmr1, &QTimer::timeout, this, &MainWindow::tmr1Timer);
    tmr1.start();
    FormCreate();
    // Opens centred on the desktop.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r = rect();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}

MainWindow::~MainWindow() {
    // The hook calls into this window: it goes first, before the children are deleted (their
    // deletion still sends events while this object is no longer a MainWindow).
    if (aplctnvnts1) {
        qApp->removeEventFilter(aplctnvnts1);
        delete aplctnvnts1;
        aplctnvnts1 = nullptr;
    }
    // The grids show the queries' results: unlink them before the queries go.
    for (DataGrid *g : {dbgrd1, dbgrd2, dbgrd3, dbgrd4, dbgrd5, dbgrd6}) g->setDataSource(nullptr);
}

void MainWindow::buildControls() {
    client = clientArea();
    client->setObjectName(QStringLiteral("client"));
    setClientSize({kClientWidth, kClientHeight});
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, Colors::skyBlue);
    client->setPalette(pal);
    client->setFont(Fonts::song(12));

    imgForm = new QLabel(client);
    imgForm->setObjectName(QStringLiteral("imgForm"));
    imgForm->setGeometry(0, 0, kClientWidth, 136);
    imgForm->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    imgForm->setPixmap(QPixmap(QStringLiteral(":/images/header.bmp")));

    lbl11 = label(client, "lbl11", QStringLiteral("2011年进出口商品特定税率表"), {288, 136});
    lbl11->setFont(Fonts::song(10));
    lbl11->setGeometry(288, 136, 130, 10);

    imgupdate = pictureButton(client, "imgupdate", {32, 8, 80, 81}, QStringLiteral("update"));
    imgabout = pictureButton(client, "imgabout", {112, 8, 80, 81}, QStringLiteral("about"));
    imgreturn = pictureButton(client, "imgreturn", {192, 8, 80, 81}, QStringLiteral("exit"));
    imgreturn1 = pictureButton(client, "imgreturn1", {192, 8, 80, 81}, QStringLiteral("back"));
    imgreturn1->hide();

    imgLogo = new ClickLabel(client);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    imgLogo->setGeometry(394, 8, 385, 65);
    imgLogo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    imgLogo->setCursor(Qt::PointingHandCursor);

    lbl4 = label(client, "lbl4", QStringLiteral("商品编码"), {384, 96});
    lbl5 = label(client, "lbl5", QStringLiteral("品名"), {576, 96});

    imgQuery = pictureButton(client, "imgQuery", {736, 88, 72, 33}, QStringLiteral("query"));
    imgQuery->setCenter(true);

    lbl6 = new QLabel(QStringLiteral("商品编码和品名不能都为空！"), client);
    lbl6->setObjectName(QStringLiteral("lbl6"));
    lbl6->setGeometry(656, 120, 156, 13);
    lbl6->setFont(Fonts::tahoma8());
    setLinkLook(lbl6, Qt::red, false);
    lbl6->hide();

    // Later tabs lie over earlier ones where they overlap.
    imgtab1 = pictureButton(client, "imgtab1", {0, 112, 105, 33}, QStringLiteral("tab1"));
    imgtab2 = pictureButton(client, "imgtab2", {88, 112, 105, 33}, QStringLiteral("tab2"));
    imgtab3 = pictureButton(client, "imgtab3", {176, 112, 105, 33}, QStringLiteral("tab3"));

    lbl7 = new QLabel(QStringLiteral("版本号:V1.0"), client);
    lbl7->setObjectName(QStringLiteral("lbl7"));
    lbl7->setGeometry(20, kStatusTop, 65, 20);
    lbl7->setAutoFillBackground(true);
    lbl8 = label(client, "lbl8", QString(), {112, kStatusTop});

    lbl9 = new ClickLabel(client);
    lbl9->setObjectName(QStringLiteral("lbl9"));
    lbl9->move(400, kStatusTop);
    lbl9->setFont(Fonts::tahoma8());
    lbl9->setCursor(Qt::PointingHandCursor);
    setLinkHover(lbl9, false);

    lbl13 = new ClickLabel(client);
    lbl13->setObjectName(QStringLiteral("lbl13"));
    lbl13->setGeometry(kSiteLinkLeft, kStatusTop, 138, 12);
    lbl13->setFont(Fonts::song(12));
    lbl13->setCursor(Qt::PointingHandCursor);
    lbl13->setText(QStringLiteral("Zendrik网  ") + QUrl(Platform::instance().vendorRoot()).host());
    setLinkHover(lbl13, false);

    lbl3 = label(client, "lbl3", QString(), {0, 0});
    lbl10 = label(client, "lbl10", QString(), {0, 0});
    lbl12 = label(client, "lbl12", QString(), {368, 48});
    lblAdUrl = label(client, "lblAdUrl", QString(), {320, 8});
    for (QLabel *hidden : {lbl3, lbl10, lbl12, lblAdUrl}) hidden->hide();

    // Windowed controls lie above the pictures and labels.
    edtCode = new QLineEdit(client);
    edtCode->setObjectName(QStringLiteral("edtCode"));
    edtCode->setGeometry(440, 95, 121, 16);
    edtCode->setFrame(false);
    edtName = new QLineEdit(client);
    edtName->setObjectName(QStringLiteral("edtName"));
    edtName->setGeometry(608, 95, 121, 16);
    edtName->setFrame(false);
    setTabOrder(edtCode, edtName);

    pnl1 = panel(client, "pnl1", {0, 136, kClientWidth, 400});
    pal = pnl1->palette();
    pal.setColor(QPalette::Window, QColor(160, 160, 164));
    pnl1->setPalette(pal);
    dbgrd1 = grid(pnl1, "dbgrd1", pnl1->rect());
    dbgrd2 = grid(pnl1, "dbgrd2", pnl1->rect());
    dbgrd3 = grid(pnl1, "dbgrd3", pnl1->rect());
    dbgrd2->hide();
    dbgrd3->hide();
    dbgrd2->setFitRowsToLines(true);
    dbgrd3->setFitRowsToLines(true);

    pnl2 = panel(client, "pnl2", {0, 136, 834, 400});
    dbgrd4 = grid(pnl2, "dbgrd4", {0, 0, 833, 120});
    dbgrd5 = grid(pnl2, "dbgrd5", {0, 150, 427, 248});
    dbgrd6 = grid(pnl2, "dbgrd6", {440, 150, 393, 248});
    pnl2->hide();
    pnl3 = panel(client, "pnl3", {0, 136, 801, 400});
    pnl3->hide();

    setupGrids();
    setupSearch();
    setupDetailView();
    setupRatesByOrigin();
    setupCounts();
    setupDeclarationElements();
    setupKeyboard();
    setupHistory();

    connect(imgupdate, &PictureButton::clicked, this, &MainWindow::imgupdateClick);
    connect(imgabout, &PictureButton::clicked, this, &MainWindow::imgaboutClick);
    connect(imgreturn, &PictureButton::clicked, this, &MainWindow::imgreturnClick);
    connect(imgLogo, &ClickLabel::clicked, this, &MainWindow::imgLogoClick);
    connect(lbl9, &ClickLabel::clicked, this, &MainWindow::lbl9Click);
    connect(lbl9, &ClickLabel::entered, this, [this] { setLinkHover(lbl9, true); });
    connect(lbl9, &ClickLabel::left, this, [this] { setLinkHover(lbl9, false); });
    connect(lbl13, &ClickLabel::clicked, this, &MainWindow::lbl13Click);
    connect(lbl13, &ClickLabel::entered, this, [this] { setLinkHover(lbl13, true); });
    connect(lbl13, &ClickLabel::left, this, [this] { setLinkHover(lbl13, false); });
}

void MainWindow::setLinkHover(QLabel *l, bool hovered) {
    setLinkLook(l, hovered ? QColor(Qt::black) : QColor(Qt::blue), !hovered);
}

QString MainWindow::vendorAddress(const QString &path) { return Platform::instance().vendorRoot() + path; }

void MainWindow::FormCreate() {
    for (DataGrid *g : {dbgrd1, dbgrd2, dbgrd3, dbgrd4, dbgrd5, dbgrd6})
        g->gridModel()->setEvenRowColor(DataGrid::kEvenRowColor);
    try {
        con1.setConnectionString(DatabasePath::lookupConnectionString());
        if (Platform::instance().isReachable(vendorAddress(QString()))) {
            UpdateNewad(vendorAddress(QStringLiteral("/download/secretSecurityDownload-0529.html")),
                        vendorAddress(QStringLiteral("/download/secretSecurityDownload-7981.html")));
            GetLogo();
        } else {
            loadFallbackBanner();
            lblAdUrl->setText(vendorAddress(QStringLiteral("/ad/customs.html")));
        }

        // A case table without rows or without dates has no update date: the label stays empty.
        qry8.open(con1, kUpdateDateStatement);
        const QVariant newest = qry8.value(QStringLiteral("update_date"));
        showUpdateDate(lbl8, newest.isNull() ? QString() : newest.toString());

        tickerIndex = 0;

        qry9.open(con1, QStringLiteral("select * from news"));
        newsIds = std::make_unique<QStringList>();
        newsTitles = std::make_unique<QStringList>();
        for (; !qry9.eof(); qry9.next()) {
            newsIds->append(qry9.asString(QStringLiteral("id")));
            newsTitles->append(qry9.asString(QStringLiteral("title")));
        }
        // Without news the ticker stays idle and start-up goes on.
        if (!newsTitles->isEmpty()) {
            lbl9->setText(newsTitles->at(0));
            lbl9->adjustSize();
            lbl12->setText(newsIds->at(0));
        }

        struct Start {
            Query &query;
            SearchStatements::Table table;
            DataGrid *grid;
        } starts[] = {
            {qry1, SearchStatements::OfficialHs, dbgrd1},
            {qry2, SearchStatements::HsClassify, dbgrd2},
            {qry3, SearchStatements::CaseHs, dbgrd3},
        };
        for (Start &s : starts) {
            s.query.setConnection(&con1);
            s.query.setSource(SearchStatements::firstRows(s.table, con1));
            s.query.open();
            s.grid->setDataSource(&s.query);
            if (s.grid == dbgrd3) {
                dbgrd3->setColumnWidth(0, 70);
                dbgrd3->setColumnWidth(1, 180);
                dbgrd3->setColumnWidth(2, 300);
            }
            s.grid->setRowHeight(s.grid->rowHeight() + 10);
        }
    } catch (const AppError &e) {
        Notify::error(this, e.message());
    }
}

void MainWindow::loadFallbackBanner() {
    const QString path = DatabasePath::besideExecutable(QStringLiteral("images\\banner.bmp"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw AppError(Messages::cannotOpenFile(path, file.errorString()));
    QPixmap banner;
    if (!banner.loadFromData(file.readAll(), "BMP"))
        throw AppError(Messages::cannotOpenFile(path, QStringLiteral("该文件不是可读取的位图。")));
    imgLogo->setPixmap(banner);
}

void MainWindow::FormClose() {
    newsTitles.reset();
    newsIds.reset();
}

void MainWindow::closeEvent(QCloseEvent *event) {
    FormClose();
    event->accept();
    // Closing the main window ends the program, whatever other windows are open.
    QCoreApplication::exit(0);
}

void MainWindow::imgupdateClick() {
    Platform::instance().openAddress(vendorAddress(QStringLiteral("/download/toDownloadSoftware-2.html")));
    // A new import window per click, without owner; it lives until the program ends.
    auto *importWindow = new ImportWindow;
    connect(importWindow, &ImportWindow::updateDateChanged, this,
            [this](const QString &date) { showUpdateDate(lbl8, date); });
    importWindow->show();
}

void MainWindow::showUpdateDate(QLabel *label, const QString &date) {
    label->setText(date.isNull() ? QString() : QStringLiteral("数据更新时间:") + date);
    label->adjustSize(); // sized to its text
}

void MainWindow::imgaboutClick() {
    // A new About window per click, without owner; closing it only hides it.
    auto *about = new AboutWindow;
    about->showCentredOver(this);
}

// Ends the message loop at once: no close request, so FormClose does not run on this path.
void MainWindow::imgreturnClick() { QCoreApplication::exit(0); }

void MainWindow::tmr1Timer() {
    // Start-up may have ended before the news lists were loaded, or found no titles.
    if (!newsTitles || newsTitles->isEmpty()) return;
    if (tickerIndex >= newsTitles->size()) tickerIndex = 0;
    lbl9->setText(newsTitles->at(tickerIndex));
    lbl9->adjustSize();
    lbl12->setText(newsIds->at(tickerIndex));
    ++tickerIndex;
}

void MainWindow::lbl9Click() {
    Platform::instance().openAddress(
        vendorAddress(QStringLiteral("//news/viewNews-") + lbl12->text() + QStringLiteral(".html")));
}

void MainWindow::lbl13Click() { Platform::instance().openAddress(vendorAddress(QString())); }

void MainWindow::imgLogoClick() {
    if (lbl6->isVisible()) lbl6->hide();
    Platform::instance().openAddress(lblAdUrl->text());
}
