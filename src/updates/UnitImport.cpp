#include "updates/UnitImport.h"

#include "chrome/Resources.h"

#include "chrome/Image1.h"
#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/DatabasePath.h"
#include "data/Gbk.h"
#include "platform/Platform.h"
#include "updates/FlatRecord.h"
#include "updates/XmlDocument.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSqlError>

namespace {

const QString kWrongType = QStringLiteral("更新文件格式不对！");
const QString kSuccess = QStringLiteral("导入成功!");
const QString kDatePrefix = QStringLiteral("数据更新时间:");
// How many records are read between two repaints of the window.
constexpr int kRecordsPerRepaint = 500;

// The file's last three characters, A-Z folded to lower case, must read "xml"; no dot is
// required before them.
bool hasXmlEnding(const QString &name) {
    QString tail = name.right(3);
    for (QChar &c : tail)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + (u'a' - u'A'));
    return tail == QLatin1String("xml");
}

QByteArray withoutApostrophes(QByteArray text) {
    text.removeIf([](char c) { return c == '\''; });
    return text;
}

// The first n GBK characters of text (all of it when shorter).
QByteArray leftChars(const QByteArray &text, int n) {
    qsizetype pos = 0;
    for (int i = 0; i < n && pos < text.size(); ++i)
        pos += Gbk::isLeadByte(static_cast<unsigned char>(text.at(pos))) && pos + 1 < text.size() ? 2 : 1;
    return text.left(pos);
}

// Values go between apostrophes unescaped; every apostrophe was removed from them when the
// record was flattened, so none can close a literal early.
QString insertStatement(qint64 id, const QByteArray &a, const QByteArray &code, const QByteArray &b,
                        const QByteArray &date, const QByteArray &e) {
    QByteArray sql;
    sql.reserve(64 + a.size() + code.size() + b.size() + 2 * date.size() + e.size());
    sql += "insert into case_hs values (";
    sql += QByteArray::number(id);
    sql += ",'";
    sql += a;
    sql += "','";
    sql += code;
    sql += "','";
    sql += b;
    sql += "','";
    sql += date;
    sql += "','";
    sql += date;
    sql += "',0,'";
    sql += e;
    sql += "')";
    return Gbk::decode(sql);
}

QString sqlErrorText(const QSqlError &error) {
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

} // namespace

TfrmImport::TfrmImport(QLabel *updateDateLabel, QWidget *parent)
    : QWidget(parent), con1(QStringLiteral("frmImport")), qry1(QStringLiteral("qry1")), qry2(QStringLiteral("qry2")),
      updateDateLabel_(updateDateLabel) {
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

    img1 = TMyImage::withPictures(this, {360, 23, 33, 25}, QStringLiteral("import_browse"));
    img1->setCursor(Qt::PointingHandCursor);
    connect(img1, &TMyImage::clicked, this, &TfrmImport::img1Click);

    img2 = TMyImage::withPictures(this, {392, 23, 73, 26}, QStringLiteral("import_go"));
    img2->setCursor(Qt::PointingHandCursor);
    connect(img2, &TMyImage::clicked, this, &TfrmImport::img2Click);

    prgImport = new QProgressBar(this);
    prgImport->setGeometry(8, 50, 457, 9);
    prgImport->setTextVisible(false);
    prgImport->hide();

    qry1.setConnection(&con1);
    qry2.setConnection(&con1);
    FormCreate();
}

TfrmImport::~TfrmImport() = default;

void TfrmImport::FormCreate() {
    // A tool window with only a close button, above every window that is not topmost.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
}

void TfrmImport::img1Click() {
    if (importing_) return;
    const QString path = Platform::instance().openFileName(this);
    if (path.isEmpty()) return;
    filePath_ = path;
    edtFile->setText(QDir::toNativeSeparators(path));
    fileName_ = QFileInfo(path).fileName();
}

QString TfrmImport::GetMaxUpdatedate() {
    qry2.close();
    qry2.setConnection(&con1);
    qry2.setSql(QStringLiteral("select max(update_date) as update_date from case_hs"));
    qry2.open();
    return qry2.asString(QStringLiteral("update_date"));
}

void TfrmImport::img2Click() {
    // The window repaints while it imports; a click that arrives meanwhile starts nothing.
    if (importing_) return;
    importing_ = true;
    img1->setEnabled(false);
    img2->setEnabled(false);

    if (!hasXmlEnding(fileName_)) {
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

    qry1.close();
    qry2.close();
    con1.close();
    prgImport->hide();
    img1->setEnabled(true);
    img2->setEnabled(true);
    importing_ = false;
}

void TfrmImport::runImport() {
    con1.setConnectionString(DatabasePath::lookupConnectionString());
    con1.ensureOpen();
    // All or nothing: a failure part-way must not leave some records in, or a second run would
    // skip every record older than those and lose them.
    QSqlDatabase db = con1.database();
    if (!db.transaction()) throw AppError(sqlErrorText(db.lastError()));
    struct Rollback {
        QSqlDatabase &db;
        Query &q1, &q2;
        bool armed = true;
        ~Rollback() {
            if (!armed) return;
            q1.close();
            q2.close();
            db.rollback();
        }
    } rollback{db, qry1, qry2};

    qry1.close();
    qry1.setConnection(&con1);
    qry1.setSql(QStringLiteral("select max(id)+1 as id from case_hs"));
    qry1.open();
    qint64 id = qry1.asInteger(QStringLiteral("id"));

    const XmlDocument doc = XmlDocument::fromFile(filePath_);
    // Dates are text in one fixed-width layout and compare byte by byte.
    const QByteArray newest = Gbk::encode(GetMaxUpdatedate());

    int total = 0;
    for (const xmlNode *child = doc.root()->children; child; child = child->next) ++total;
    showProgress(0, total);

    int done = 0;
    for (const xmlNode *child = doc.root()->children; child; child = child->next) {
        const FieldList fields = SplitFlatRecord(FlattenNode(child));
        const QByteArray code = ScrambleCode(fields.at(0));
        const QByteArray a = withoutApostrophes(fields.at(1));
        const QByteArray b = withoutApostrophes(fields.at(2));
        const QByteArray date = leftChars(fields.at(3), 10);
        if (newest < date) {
            const QByteArray &e = fields.at(4);
            qry2.close();
            qry2.setConnection(&con1);
            qry2.setSql(insertStatement(id, a, code, b, date, e));
            qry2.execSql();
            ++id;
        }
        if (++done % kRecordsPerRepaint == 0) showProgress(done, total);
    }

    const QString newestNow = GetMaxUpdatedate();
    qry1.close();
    qry2.close();
    if (!db.commit()) throw AppError(sqlErrorText(db.lastError()));
    rollback.armed = false;

    if (updateDateLabel_) {
        updateDateLabel_->setText(kDatePrefix + newestNow);
        updateDateLabel_->adjustSize(); // sized to its text, as at start-up
    }
    Notify::plain(this, kSuccess);
    edtFile->clear();
}

void TfrmImport::showProgress(int done, int total) {
    prgImport->setRange(0, qMax(total, 1));
    prgImport->setValue(done);
    prgImport->show();
    emit importProgress(done, total);
    // Paint, but hold back clicks and keys until the import is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
