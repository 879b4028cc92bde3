#pragma once
#include "data/Connection.h"

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QProgressBar;
class PictureButton;

// The update-file import window: the user picks a downloaded update file with the browse
// button and appends its newer case records to case_hs with the import button. The import
// itself is UpdateImport's; the window runs it on its own connection and shows the outcome.
class ImportWindow : public QWidget {
    Q_OBJECT
public:
    explicit ImportWindow(QWidget *parent = nullptr);
    ~ImportWindow() override;

    // The browse button: the user picks an update file.
    void chooseFile();
    // The import button: the chosen file's newer records go into the case table.
    void importChosenFile();

    const QString &chosenPath() const { return filePath_; }
    const QString &chosenName() const { return fileName_; }
    bool isImporting() const { return importing_; }
    // The window keeps its database open only while it imports.
    bool holdsDatabaseOpen() const { return connection_.isOpen(); }

signals:
    // Records read so far out of the file's total, each time the progress is repainted.
    void importProgress(int done, int total);
    // After a successful import: the newest update date now in case_hs (null when none).
    void updateDateChanged(const QString &newestDate);

private:
    void runImport();
    void showProgress(int done, int total);

    Connection connection_;
    QLineEdit *fileBox_;
    PictureButton *browseButton_;
    PictureButton *importButton_;
    // Shown while an import runs.
    QProgressBar *progress_;
    QString filePath_;
    QString fileName_;
    bool importing_ = false;
    QElapsedTimer sinceRepaint_;
};
