#include "app/ImportWindow.h"

#include "chrome/PictureButton.h"
#include "chrome/Resources.h"
#include "data/AppError.h"
#include "data/DatabasePath.h"
#include "platform/Platform.h"
#include "updates/UpdateImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

namespace {
const QString kWrongType = QStringLiteral("更新文件格式不对！");
const QString kSuccess = QStringLiteral("导入成功!");
// The progress is repainted this often, however fast the records go in: a repaint costs far
// more than a record.
constexpr qint64 kRepaintMs = 100;
} // namespace

ImportWindow::ImportWindow(QWidget *parent) : QWidget(parent), con1(QStringLiteral("frmImport")) {
    loadChromeResources();
    setWindowTitle(QStringLiteral("更新数据导入"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(518, 65);
    move(485, 372);

    imgBack = new QLabel(this);
    imgBack->setGeometry(0, 0, 518, 65);
    imgBack->setAlignment(Qt::AlignLeft | Qt::AlignTop); // unscaled from the corner, clipped
    imgBack->setPixmap(QPixmap(QStringLiteral(":/images/header.bmp")));

    lbl1 = new QLabel(QStringLiteral("请导入下载的更新文件"), this);
    lbl1->move(8, 8);
    lbl1->adjustSize();

    edtFile = new QLineEdit(this);
    edtFile->setGeometry(8, 24, 353, 21);
    edtFile->setFrame(false);

    img1 = PictureButton::withPictures(this, {360, 23, 33, 25}, QStringLiteral("import_browse"));
    img1->setCursor(Qt::PointingHandCursor);
    connect(img1, &PictureButton::clicked, this, &ImportWindow::img1Click);

    img2 = PictureButton::withPictures(this, {392, 23, 73, 26}, QStringLiteral("import_go"));
    img2->setCursor(Qt::PointingHandCursor);
    connect(img2, &PictureButton::clicked, this, &ImportWindow::img2Click);

    prgImport = new QProgressBar(this);
    prgImport->setGeometry(8, 50, 457, 9);
    prgImport->setTextVisible(false);
    prgImport->hide();

    FormCreate();
}

ImportWindow::~ImportWindow() = default;

void ImportWindow::FormCreate() {
    // A tool window with only a close button, above every window that is not topmost.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
}

void ImportWindow::img1Click() {
    if (importing_) return;
    const QString path = Platform::instance().openFileName(this);
    if (path.isEmpty()) return;
    filePath_ = path;
    edtFile->setText(QDir::toNativeSeparators(path));
    fileName_ = QFileInfo(path).fileName();
}

QString ImportWindow::GetMaxUpdatedate() { return UpdateImport::newestDate(con1).value_or(QString()); }

void ImportWindow::img2Click() {
    // The window repaints while it imports; a click that arrives meanwhile starts nothing.
    if (importing_) return;
    importing_ = true;
    img1->setEnabled(false);
    img2->setEnabled(false);

    if (!UpdateImport::hasXmlEnding(fileName_)) {
        Notify::plain(this, kWrongType);
    } else {
        try {
            runImport();
        } catch (const AppError &e) {
            Notify::report(this, e.message());
        } catch (const std::exception &e) {
            Notify::report(this, QString::fromLocal8Bit(e.what()));
        }
    }

    con1.close();
    prgImport->hide();
    img1->setEnabled(true);
    img2->setEnabled(true);
    importing_ = false;
}

void ImportWindow::runImport() {
    con1.setConnectionString(DatabasePath::lookupConnectionString());
    const UpdateImport::Outcome outcome =
        UpdateImport::run(con1, filePath_, [this](int done, int total) { showProgress(done, total); });
    con1.close();
    emit updateDateChanged(outcome.newestDate.value_or(QString()));
    Notify::plain(this, kSuccess);
    edtFile->clear();
}

void ImportWindow::showProgress(int done, int total) {
    if (done != 0 && sinceRepaint_.isValid() && sinceRepaint_.elapsed() < kRepaintMs) return;
    sinceRepaint_.start();
    prgImport->setRange(0, qMax(total, 1));
    prgImport->setValue(done);
    prgImport->show();
    emit importProgress(done, total);
    // Paint, but hold back clicks and keys until the import is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
