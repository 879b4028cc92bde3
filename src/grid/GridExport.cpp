#include "grid/GridExport.h"

#include "data/AppError.h"
#include "export/TableWriter.h"
#include "grid/DataGrid.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

namespace GridExport {

namespace {
// The folder and type of the last export, offered again.
QString &lastFolder() {
    static QString folder = QDir::homePath();
    return folder;
}
QString &lastSuffix() {
    static QString suffix = QStringLiteral("xlsx");
    return suffix;
}

// Rows between two looks at the progress dialog.
constexpr int kStep = 256;
// The longest wait for a row between two looks at the dialog.
constexpr int kWaitMs = 50;
} // namespace

bool write(DataGrid &grid, const QString &path) {
    GridModel *m = grid.gridModel();
    const QList<int> columns = grid.dataColumns();
    QList<ExportColumn> described;
    for (const int c : columns)
        described << ExportColumn{grid.columnTitle(c), !grid.codeField().isEmpty() && m->fieldAt(c) == grid.codeField(),
                                  std::max(8, grid.columnWidth(c) / 7)};
    auto writer = TableWriter::open(TableWriter::formatOf(path), path, grid.exportName(), described);

    QProgressDialog progress(QStringLiteral("正在导出…"), QStringLiteral("取消"), 0, 0, &grid);
    progress.setObjectName(QStringLiteral("exportProgress"));
    progress.setWindowTitle(QStringLiteral("导出"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(kProgressDelayMs);
    progress.setAutoReset(false);
    progress.setValue(0);
    QStringList cells;
    for (int row = 0;; ++row) {
        // The rest of the result is read as the rows are written. A row not read yet is waited
        // for, the dialog kept live, so that no cell is written empty.
        GridModel::RowState state;
        while ((state = m->waitForRow(row, kWaitMs)) == GridModel::RowState::Pending) {
            QCoreApplication::processEvents();
            if (progress.wasCanceled()) return false;
        }
        if (state == GridModel::RowState::End) break;
        if (state == GridModel::RowState::Lost)
            throw AppError(QStringLiteral("读取查询结果时出错（已读出 %1 行），没有写出文件。").arg(row));
        if (row % kStep == 0) {
            // The total shows once the whole result has been read; until then the bar is busy.
            progress.setMaximum(m->canFetchMore({}) ? 0 : m->rowCount());
            progress.setLabelText(
                QStringLiteral("正在导出… 已写出 %1 行").arg(QLocale(QLocale::Chinese).toString(row)));
            progress.setValue(row);
            if (progress.wasCanceled()) return false;
        }
        cells.clear();
        for (const int c : columns) cells << m->text(row, c);
        writer->row(cells);
    }
    writer->commit();
    return true;
}

void run(DataGrid &grid) {
    const QString name =
        (grid.exportName().isEmpty() ? QStringLiteral("导出") : grid.exportName()) + u'.' + lastSuffix();
    const QString path = Platform::instance().saveFileName(&grid, QDir(lastFolder()).filePath(name));
    if (path.isEmpty()) return;
    lastFolder() = QFileInfo(path).absolutePath();
    lastSuffix() =
        TableWriter::formatOf(path) == TableWriter::Format::Xlsx ? QStringLiteral("xlsx") : QStringLiteral("csv");
    try {
        write(grid, path);
    } catch (const AppError &e) {
        Notify::error(&grid, e.message());
    }
}

} // namespace GridExport
