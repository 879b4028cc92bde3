#pragma once
#include "data/Connection.h"
#include "data/Query.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;
class TMyImage;

// The update-file import window: the user picks a downloaded update file with the browse
// button and appends its newer case records to case_hs with the import button. An import is
// all or nothing: it runs in one transaction, so a failure leaves the table as it was.
class TfrmImport : public QWidget {
    Q_OBJECT
public:
    // updateDateLabel is the main window's label that shows the newest update date.
    explicit TfrmImport(QLabel *updateDateLabel, QWidget *parent = nullptr);
    ~TfrmImport() override;

    void img1Click();
    void img2Click();
    QString GetMaxUpdatedate();

    const QString &chosenPath() const { return filePath_; }
    const QString &chosenName() const { return fileName_; }
    bool isImporting() const { return importing_; }

    QLabel *imgBack;
    QLabel *lbl1;
    QLineEdit *edtFile;
    TMyImage *img1;
    TMyImage *img2;
    // Shown while an import runs.
    QProgressBar *prgImport;

    Connection con1;
    Query qry1;
    Query qry2;

signals:
    // Records read so far out of the file's total, every few hundred records.
    void importProgress(int done, int total);

private:
    void FormCreate();
    void runImport();
    void showProgress(int done, int total);

    QPointer<QLabel> updateDateLabel_;
    QString filePath_;
    QString fileName_;
    bool importing_ = false;
};
