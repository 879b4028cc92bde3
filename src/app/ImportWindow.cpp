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

ImportWindow::ImportWindow(QWidget *parent) : QWidget(parent), connection_(QStringLiteral("frmImport")) {
    loadChromeResources();
    setWindowTitle(QStringLiteral("更新数据导入"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(518, 65);
    move(485, 372);

    auto *background = new QLabel(this);
    background->setObjectName(QStringLiteral("imgBack"));
    background->setGeometry(0, 0, 518, 65);
    background->setAlignment(Qt::AlignLeft | Qt::AlignTop); // unscaled from the corner, clipped
    background->setPixmap(QPixmap(QStringLiteral(":/images/header.bmp")));

    auto *prompt = new QLabel(QStringLiteral("请导入下载的更新文件"), this);
    prompt->setObjectName(QStringLiteral("lbl1"));
    prompt->move(8, 8);
    prompt->adjustSize();

    fileBox_ = new QLineEdit(this);
    fileBox_->setObjectName(QStringLiteral("edtFile"));
    fileBox_->setGeometry(8, 24, 353, 21);
    fileBox_->setFrame(false);

    browseButton_ = PictureButton::withPictures(this, {360, 23, 33, 25}, QStringLiteral("import_browse"));
    browseButton_->setObjectName(QStringLiteral("img1"));
    browseButton_->setCursor(Qt::PointingHandCursor);
    connect(browseButton_, &PictureButton::clicked, this, &ImportWindow::chooseFile);

    importButton_ = PictureButton::withPictures(this, {392, 23, 73, 26}, QStringLiteral("import_go"));
    importButton_->setObjectName(QStringLiteral("img2"));
    importButton_->setCursor(Qt::PointingHandCursor);
    connect(importButton_, &PictureButton::clicked, this, &ImportWindow::importChosenFile);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("prgImport"));
    progress_->setGeometry(8, 50, 457, 9);
    progress_->setTextVisible(false);
    progress_->hide();

    // A tool window with only a close button, above every window that is not topmost.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
}

ImportWindow::~ImportWindow() = default;

void ImportWindow::chooseFile() {
    if (importing_) return;
    const QString path = Platform::instance().openFileName(this);
    if (path.isEmpty()) return;
    filePath_ = path;
    fileBox_->setText(QDir::toNativeSeparators(path));
    fileName_ = QFileInfo(path).fileName();
}

void ImportWindow::importChosenFile() {
    // The window repaints while it imports; a click that arrives meanwhile starts nothing.
    if (importing_) return;
    importing_ = true;
    browseButton_->setEnabled(false);
    importButton_->setEnabled(false);

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

    connection_.close();
    progress_->hide();
    browseButton_->setEnabled(true);
    importButton_->setEnabled(true);
    importing_ = false;
}

void ImportWindow::runImport() {
    connection_.setConnectionString(DatabasePath::lookupConnectionString());
    const UpdateImport::Outcome outcome =
        UpdateImport::run(connection_, filePath_, [this](int done, int total) { showProgress(done, total); });
    connection_.close();
    emit updateDateChanged(outcome.newestDate.value_or(QString()));
    Notify::plain(this, kSuccess);
    fileBox_->clear();
}

void ImportWindow::showProgress(int done, int total) {
    if (done != 0 && sinceRepaint_.isValid() && sinceRepaint_.elapsed() < kRepaintMs) return;
    sinceRepaint_.start();
    progress_->setRange(0, qMax(total, 1));
    progress_->setValue(done);
    progress_->show();
    emit importProgress(done, total);
    // Paint, but hold back clicks and keys until the import is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
