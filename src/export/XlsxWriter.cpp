#include "export/XlsxWriter.h"

#include "data/AppError.h"
#include "export/ExportMessages.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <xlsxwriter.h>

namespace {
// A cell's text longer than a spreadsheet cell holds is cut there rather than failing the file.
constexpr int kCellChars = 32767;

// Numbers as the grid shows them, without leading zeros, so nothing that reads as a code
// (0201) becomes a number.
bool plainNumber(const QString &text) {
    static const QRegularExpression number(QStringLiteral("^-?(0|[1-9][0-9]{0,14})(\\.[0-9]+)?$"));
    return number.match(text).hasMatch();
}

// Sheet names may not hold []:*?/\ and have at most 31 characters.
QString sheetName(QString name, int sheet) {
    static const QRegularExpression bad(QStringLiteral("[\\[\\]:*?/\\\\]"));
    name.replace(bad, QStringLiteral("_"));
    if (name.isEmpty()) name = QStringLiteral("Sheet");
    const QString suffix = sheet > 1 ? QStringLiteral(" (%1)").arg(sheet) : QString();
    return name.left(31 - suffix.size()) + suffix;
}
} // namespace

XlsxWriter::XlsxWriter(const QString &path, const QString &sheet, const QList<ExportColumn> &columns)
    : path_(path), sheetName_(sheet), columns_(columns) {
    // A temporary name beside the target, so the final rename stays on one file system.
    QTemporaryFile placeholder(path + QStringLiteral(".XXXXXX.part"));
    placeholder.setAutoRemove(false);
    if (!placeholder.open()) throw AppError(ExportMessages::cannotWrite(path, placeholder.errorString()));
    temp_ = placeholder.fileName();
    placeholder.close();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    book_ = workbook_new_opt(QFile::encodeName(temp_).constData(), &options);
    if (!book_) {
        QFile::remove(temp_);
        throw AppError(ExportMessages::cannotWrite(path, QStringLiteral("out of memory")));
    }
    title_ = workbook_add_format(book_);
    format_set_bold(title_);
    text_ = workbook_add_format(book_);
    format_set_num_format(text_, "@");
    newSheet();
}

XlsxWriter::~XlsxWriter() {
    if (!book_) return;
    lxw_workbook_free(book_);
    QFile::remove(temp_);
}

void XlsxWriter::newSheet() {
    ++sheets_;
    sheet_ = workbook_add_worksheet(book_, sheetName(sheetName_, sheets_).toUtf8().constData());
    if (!sheet_) throw AppError(ExportMessages::cannotWrite(path_, QStringLiteral("bad sheet name")));
    for (int c = 0; c < columns_.size(); ++c) {
        const ExportColumn &col = columns_[c];
        worksheet_set_column(sheet_, lxw_col_t(c), lxw_col_t(c), col.width > 0 ? col.width : LXW_DEF_COL_WIDTH,
                             col.code ? text_ : nullptr);
        worksheet_write_string(sheet_, 0, lxw_col_t(c), col.title.toUtf8().constData(), title_);
    }
    worksheet_freeze_panes(sheet_, 1, 0);
    row_ = 1;
}

void XlsxWriter::row(const QStringList &cells) {
    if (row_ >= kSheetRows) newSheet();
    for (int c = 0; c < columns_.size(); ++c) {
        // Line breaks inside a cell are LF in a workbook (a CR would be kept as an escape).
        QString cell = cells.value(c).left(kCellChars);
        cell.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        if (cell.isEmpty()) continue;
        lxw_error e;
        if (columns_[c].code)
            e = worksheet_write_string(sheet_, lxw_row_t(row_), lxw_col_t(c), cell.toUtf8().constData(), text_);
        else if (plainNumber(cell))
            e = worksheet_write_number(sheet_, lxw_row_t(row_), lxw_col_t(c), cell.toDouble(), nullptr);
        else e = worksheet_write_string(sheet_, lxw_row_t(row_), lxw_col_t(c), cell.toUtf8().constData(), nullptr);
        if (e != LXW_NO_ERROR) throw AppError(ExportMessages::cannotWrite(path_, QString::fromUtf8(lxw_strerror(e))));
    }
    ++row_;
}

void XlsxWriter::commit() {
    const lxw_error e = workbook_close(book_); // frees the workbook, written or not
    book_ = nullptr;
    if (e != LXW_NO_ERROR) {
        QFile::remove(temp_);
        throw AppError(ExportMessages::cannotWrite(path_, QString::fromUtf8(lxw_strerror(e))));
    }
    if (std::rename(QFile::encodeName(temp_).constData(), QFile::encodeName(path_).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(temp_);
        throw AppError(ExportMessages::cannotWrite(path_, reason));
    }
}
