#include "grid/GridCopy.h"

#include "data/AppError.h"
#include "export/Csv.h"
#include "grid/DataGrid.h"
#include "search/CodeDisplay.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

namespace GridCopy {

namespace {

struct Table {
    QStringList titles;
    QList<bool> code;
    QList<QStringList> rows;
};

// The rows and columns of the selection; with `wholeRows` every data column.
Table tableOf(const DataGrid &grid, bool wholeRows) {
    const GridModel *m = grid.gridModel();
    const QItemSelectionModel *sel = grid.selectionModel();
    const bool none = !sel->hasSelection();
    QList<int> columns;
    for (const int c : grid.dataColumns()) {
        if (!wholeRows && !none && !sel->columnIntersectsSelection(c, {})) continue;
        if (!wholeRows && none && grid.currentIndex().column() != c) continue;
        columns << c;
    }
    Table t;
    for (const int c : columns) {
        t.titles << grid.columnTitle(c);
        t.code << (m->fieldAt(c) == grid.codeField() && !grid.codeField().isEmpty());
    }
    for (const int r : grid.selectedRows()) {
        QStringList cells;
        for (const int c : columns)
            cells << (wholeRows || none || sel->isSelected(m->index(r, c)) ? m->text(r, c) : QString());
        t.rows << cells;
    }
    return t;
}

QString tabSeparated(const Table &t) {
    QString text;
    for (const QStringList &line : QList<QStringList>{t.titles} + t.rows) {
        QStringList fields;
        for (const QString &cell : line) fields << Csv::field(cell, u'\t');
        text += fields.join(u'\t') + u'\n';
    }
    return text;
}

QString html(const Table &t) {
    QString h = QStringLiteral("<table><tr>");
    for (const QString &title : t.titles) h += QStringLiteral("<th>%1</th>").arg(title.toHtmlEscaped());
    h += QStringLiteral("</tr>");
    for (const QStringList &row : t.rows) {
        h += QStringLiteral("<tr>");
        for (qsizetype c = 0; c < row.size(); ++c) {
            QString cell = row[c].toHtmlEscaped();
            cell.replace(u'\n', QStringLiteral("<br>"));
            // Excel's text number format; other spreadsheets read the cell type from x:str.
            h += t.code[c] ? QStringLiteral("<td x:str style=\"mso-number-format:'\\@'\">%1</td>").arg(cell)
                           : QStringLiteral("<td>%1</td>").arg(cell);
        }
        h += QStringLiteral("</tr>");
    }
    return h + QStringLiteral("</table>");
}

void put(const Table &t) {
    if (t.rows.isEmpty() || t.titles.isEmpty()) return;
    auto *data = new QMimeData;
    if (t.rows.size() == 1 && t.titles.size() == 1) {
        data->setText(t.rows.first().first());
    } else {
        data->setText(tabSeparated(t));
        data->setHtml(html(t));
    }
    QApplication::clipboard()->setMimeData(data);
}

} // namespace

void copyCells(const DataGrid &grid) { put(tableOf(grid, false)); }

void copyRows(const DataGrid &grid) { put(tableOf(grid, true)); }

void copyCodes(const DataGrid &grid) {
    const GridModel *m = grid.gridModel();
    int column = -1;
    for (int c = 0; c < m->columnCount(); ++c)
        if (!grid.codeField().isEmpty() && m->fieldAt(c) == grid.codeField()) column = c;
    if (column < 0) return;
    QStringList codes;
    for (const int r : grid.selectedRows()) {
        try {
            codes << CodeDisplay::plainCode(m->storedText(r, column));
        } catch (const AppError &) {
            codes << m->text(r, column); // a code that is not scrambled text, as the grid shows it
        }
    }
    if (codes.isEmpty()) return;
    QApplication::clipboard()->setText(codes.join(u'\n'));
}

} // namespace GridCopy
