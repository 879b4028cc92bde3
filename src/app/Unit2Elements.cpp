// The full declaration elements of the detail view's code. The tariff row grid has no column for
// them, so they go where no control lies: the strip between the tariff row and the lower grids
// shows the first two lines right of the rates link, and a link at the strip's end opens the
// whole list, one item a line, over the top of the lower grids until it is closed again.
#include "app/MainWindow.h"
#include "chrome/ClickLabel.h"
#include "data/AppError.h"
#include "grid/DataGrid.h"
#include "search/DeclarationElements.h"

#include <QFrame>
#include <QLabel>
#include <QTextEdit>
#include <QTextLayout>

namespace {
constexpr int kStripTop = 120; // the strip between the tariff row grid and the lower grids
constexpr int kStripHeight = 30;
constexpr int kListTop = 150;
const QString kOpen = QStringLiteral("展开全部 ▼");
const QString kClose = QStringLiteral("收起 ▲");

// As much of a text as `lines` lines of a width hold; a cut text ends in an ellipsis.
QString fitToLines(const QString &text, const QFont &font, int width, int lines) {
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int lastStart = 0, end = 0, count = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (++count > lines) break;
        lastStart = line.textStart();
        end = line.textStart() + line.textLength();
    }
    layout.endLayout();
    if (count <= lines) return text;
    // The last line gives up as much room as the ellipsis needs.
    const QString ellipsis(QChar(0x2026));
    const QFontMetrics fm(font);
    while (end > lastStart && fm.horizontalAdvance(text.mid(lastStart, end - lastStart) + ellipsis) > width) --end;
    return text.left(end) + ellipsis;
}
} // namespace

void MainWindow::setupDeclarationElements() {
    lblElements = new QLabel(pnl2);
    lblElements->setObjectName(QStringLiteral("lblElements"));
    lblElements->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblElements->setWordWrap(true);
    lblElements->hide();

    lblElementsMore = new ClickLabel(kOpen, pnl2);
    lblElementsMore->setObjectName(QStringLiteral("lblElementsMore"));
    QFont f = lblElementsMore->font();
    f.setUnderline(true);
    lblElementsMore->setFont(f);
    QPalette pal = lblElementsMore->palette();
    pal.setColor(QPalette::WindowText, Qt::blue);
    lblElementsMore->setPalette(pal);
    lblElementsMore->setCursor(Qt::PointingHandCursor);
    lblElementsMore->hide();
    connect(lblElementsMore, &ClickLabel::clicked, this, [this] { setElementsListOpen(!pnlElements->isVisible()); });

    // Read-only text: the user can select and copy an item.
    pnlElements = new QTextEdit(pnl2);
    pnlElements->setObjectName(QStringLiteral("pnlElements"));
    pnlElements->setReadOnly(true);
    pnlElements->setFrameShape(QFrame::Box);
    pnlElements->setLineWrapMode(QTextEdit::WidgetWidth);
    pnlElements->hide();

    // Each load of the tariff row grid brings the elements of its code.
    GridModel *rows = dbgrd4->gridModel();
    connect(rows, &QAbstractItemModel::modelReset, this, &MainWindow::showDeclarationElements);
}

void MainWindow::showDeclarationElements() {
    setElementsListOpen(false);
    QString elements;
    const GridModel *row = dbgrd4->gridModel();
    int code = 0;
    while (code < row->columnCount() && row->fieldAt(code) != QLatin1String("hs_code")) ++code;
    try {
        if (row->rowCount() > 0 && code < row->columnCount())
            elements = DeclarationElements::ofCode(con1.database(), row->storedText(0, code));
    } catch (const AppError &) {
        // The detail view reports its own failures; without elements the strip stays empty.
        elements.clear();
    }
    declarationItems = DeclarationElements::items(elements);
    lblElements->setVisible(!declarationItems.isEmpty());
    lblElementsMore->setVisible(!declarationItems.isEmpty());
    pnlElements->setPlainText(declarationItems.join(u'\n'));
    placeDeclarationElements();
}

void MainWindow::placeDeclarationElements() {
    if (!lblElements) return;
    lblElementsMore->adjustSize();
    const int right = dbgrd4->geometry().right();
    lblElementsMore->move(right - 4 - lblElementsMore->width(),
                          kStripTop + (kStripHeight - lblElementsMore->height()) / 2);
    const int left = lblRatesByOrigin->geometry().right() + 16;
    lblElements->setGeometry(left, kStripTop + 1, lblElementsMore->x() - 12 - left, kStripHeight - 2);
    const QString all = QStringLiteral("申报要素：") + declarationItems.join(u';');
    const QString shown = fitToLines(all, lblElements->font(), lblElements->width(), 2);
    lblElements->setText(shown);
    // Hovering a cut strip shows the whole list too.
    lblElements->setToolTip(shown == all ? QString() : declarationItems.join(u'\n'));
    // The list lies over the top of the lower grids, below the strip text, as high as its items.
    const int width = right + 1 - left;
    pnlElements->document()->setTextWidth(width - 2 * pnlElements->frameWidth() - 8);
    const int wanted = int(pnlElements->document()->size().height()) + 2 * pnlElements->frameWidth() + 4;
    pnlElements->setGeometry(left, kListTop, width, std::min(wanted, pnl2->height() - kListTop - 2));
}

void MainWindow::setElementsListOpen(bool open) {
    pnlElements->setVisible(open);
    if (open) pnlElements->raise();
    lblElementsMore->setText(open ? kClose : kOpen);
    if (lblElementsMore->isVisibleTo(pnl2)) placeDeclarationElements();
}
