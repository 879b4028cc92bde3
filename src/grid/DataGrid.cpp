#include "grid/DataGrid.h"

#include "chrome/Colors.h"
#include "chrome/Fonts.h"
#include "data/Query.h"
#include "grid/FindDialog.h"
#include "grid/GridCopy.h"
#include "grid/GridExport.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QToolTip>
#include <utility>

const QColor DataGrid::kTitleColor = Colors::skyBlue;
const QColor DataGrid::kEvenRowColor(247, 248, 251);

namespace {
// Paints a cell: its row colour (or the highlight for the focused current cell), then its text,
// wrapped where the column says so and always clipped to the cell.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        auto *view = static_cast<const DataGrid *>(parent());
        const GridModel *model = view->gridModel();
        const bool current =
            view->showsCurrentCell() && (view->currentIndex() == index || view->selectionModel()->isSelected(index));
        const QPalette &pal = option.palette;
        p->save();
        p->fillRect(option.rect, current ? pal.color(QPalette::Active, QPalette::Highlight)
                                         : index.data(Qt::BackgroundRole).value<QColor>());
        const QVariant font = index.data(Qt::FontRole);
        p->setFont(font.isValid() ? font.value<QFont>() : option.font);
        p->setPen(current ? pal.color(QPalette::Active, QPalette::HighlightedText)
                          : index.data(Qt::ForegroundRole).value<QColor>());
        const int flags = index.data(Qt::TextAlignmentRole).toInt();
        const QString text = index.data(Qt::DisplayRole).toString();
        p->setClipRect(option.rect);
        Lines(text, p->font(), option.rect.adjusted(1, 1, -1, -1), flags, model->columnAt(index.column()).wordWrap,
              view->lineHeight())
            .draw(p);
        p->restore();
    }

    // A cell whose text the row or the column cuts shows it whole in a tooltip.
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override {
        if (event->type() != QEvent::ToolTip || !index.isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        const auto *grid = static_cast<const DataGrid *>(parent());
        const QString text = index.data(Qt::DisplayRole).toString();
        const QVariant font = index.data(Qt::FontRole);
        const Lines lines(text, font.isValid() ? font.value<QFont>() : option.font, option.rect.adjusted(1, 1, -1, -1),
                          index.data(Qt::TextAlignmentRole).toInt(),
                          grid->gridModel()->columnAt(index.column()).wordWrap, grid->lineHeight());
        if (!lines.cut()) {
            QToolTip::hideText();
            event->ignore();
            return false;
        }
        QToolTip::showText(event->globalPos(), tipText(text), view->viewport(), option.rect);
        return true;
    }

    // Rich text, so that a long value wraps instead of making a tooltip as wide as the screen.
    static QString tipText(const QString &text) {
        return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
    }

private:
    // Text is laid out on lines of the grid's line height, whatever the face's own line
    // spacing, so one line fits a 16-pixel detail row and two lines a result row as they do in
    // a 12-pixel Song face (a fallback face with a taller line would otherwise be cut).
    class Lines {
    public:
        Lines(const QString &text, const QFont &font, const QRect &r, int flags, bool wrap, int lineHeight)
            : layout_(text, font), rect_(r), flags_(flags), lineHeight_(lineHeight) {
            QTextOption option;
            option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
            option.setAlignment(Qt::Alignment(flags) & Qt::AlignHorizontal_Mask);
            layout_.setTextOption(option);
            layout_.beginLayout();
            for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
                line.setLineWidth(r.width());
                line.setPosition(QPointF(0, 0)); // placed by hand in draw()
                lines_.append(line);
            }
            layout_.endLayout();
        }

        // Some of the text lies outside the cell: a line below its bottom or past its right edge.
        bool cut() const {
            if (lines_.size() * lineHeight_ > rect_.height()) return true;
            for (const QTextLine &line : lines_)
                if (line.naturalTextWidth() > rect_.width()) return true;
            return false;
        }

        void draw(QPainter *p) const {
            const QFontMetrics fm(p->font());
            // A line that only partly fits still shows, cut at the cell's bottom.
            const int fits = (rect_.height() + lineHeight_ - 1) / lineHeight_;
            const int used = std::min<int>(lines_.size(), fits) * lineHeight_;
            int top = rect_.top();
            if (flags_ & Qt::AlignVCenter) top += std::max(0, (rect_.height() - used) / 2);
            const int baseline = (lineHeight_ + fm.ascent() - fm.descent()) / 2;
            for (int i = 0; i < lines_.size(); ++i) {
                const int y = top + i * lineHeight_;
                if (y >= rect_.bottom()) break;
                lines_[i].draw(p, QPointF(rect_.left(), y + baseline - lines_[i].ascent()));
            }
        }

    private:
        QTextLayout layout_;
        QList<QTextLine> lines_;
        QRect rect_;
        int flags_;
        int lineHeight_;
    };
};
} // namespace

QFont DataGrid::gridFont() { return Fonts::song(12); }

DataGrid::DataGrid(QWidget *parent) : QTableView(parent), model_(new GridModel(this)) {
    setModel(model_);
    // The view resets its current cell on every new result before this runs.
    connect(model_, &QAbstractItemModel::modelReset, this, &DataGrid::positionOnFirstRow);
    // A sorted result still being counted has no rows at its reset: its first ones come later.
    connect(model_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first) {
        if (first == 0) positionOnFirstRow();
    });
    // A click on a title sorts a search's result by that column, a second click reverses it; a
    // new result comes in its own order, without the mark.
    connect(model_, &QAbstractItemModel::modelReset, this, &DataGrid::showSortMark);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { endWanted_ = EndWanted::None; });
    connect(model_, &GridModel::endReady, this, &DataGrid::reachEnd);
    connect(horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, [this](int column, Qt::SortOrder order) {
        if (model_->sortable() && column >= 0) model_->sort(column, order);
    });
    setItemDelegate(new CellDelegate(this));
    setFont(gridFont());
    QFont link = gridFont();
    link.setUnderline(true);
    model_->setLinkFont(link);
    model_->setEvenRowColor(Qt::white);
    verticalHeader()->hide(); // no indicator column
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultSectionSize(64);
    horizontalHeader()->setMinimumSectionSize(4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: %1; color: black;"
                       " border: none; border-right: 1px solid #808080; border-bottom: 1px solid #808080;"
                       " padding-left: 2px; }")
            .arg(kTitleColor.name()));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setRowHeight(kFrameAllowance + lineHeight());
}

void DataGrid::setDataSource(Query *query) {
    // Linking again to the same query keeps the columns as the user arranged them.
    if (query && query == model_->source()) return;
    model_->setSource(query);
    applyColumnWidths();
}

void DataGrid::showSortMark() {
    QHeaderView *h = horizontalHeader();
    h->setSectionsClickable(model_->sortable());
    h->setSortIndicatorShown(model_->sortable());
    h->setSortIndicator(model_->sortColumn(), model_->sortOrder());
}

void DataGrid::positionOnFirstRow() {
    // An opened result stands on its first record, so the first wheel turn or Down key moves
    // to the second row.
    const int column = firstShownColumn();
    if (model_->rowCount() == 0 || column < 0) return;
    selectionModel()->setCurrentIndex(model_->index(0, column), QItemSelectionModel::NoUpdate);
}

int DataGrid::firstShownColumn() const {
    const QHeaderView *h = horizontalHeader();
    for (int visual = 0; visual < h->count(); ++visual)
        if (!h->isSectionHidden(h->logicalIndex(visual))) return h->logicalIndex(visual);
    return -1;
}

void DataGrid::setRowHeight(int pixels) {
    if (fitRowsToLines_) {
        // The text part of the row becomes a whole number of lines, rounding at half a line.
        const int line = lineHeight();
        const int text = pixels - kFrameAllowance;
        int lines = text / line;
        if (text % line > line / 2) ++lines;
        pixels = kFrameAllowance + std::max(1, lines) * line;
    }
    verticalHeader()->setDefaultSectionSize(pixels);
}

int DataGrid::rowHeight() const { return verticalHeader()->defaultSectionSize(); }

int DataGrid::lineHeight() const { return font().pixelSize() > 0 ? font().pixelSize() : QFontMetrics(font()).height(); }

void DataGrid::applyColumnWidths() {
    for (int c = 0; c < model_->columnCount(); ++c) {
        const GridColumn &col = model_->columnAt(c);
        setColumnHidden(c, !col.visible);
        if (col.width >= 0) setColumnWidth(c, col.width);
    }
}

void DataGrid::paintEvent(QPaintEvent *event) {
    QTableView::paintEvent(event);
    // The column lines go on below the last row down to the bottom of the grid.
    const int rows = model_->rowCount();
    const int bottomOfRows = rows > 0 ? rowViewportPosition(rows - 1) + rowHeight() : 0;
    if (bottomOfRows >= viewport()->height()) return;
    QPainter p(viewport());
    p.setPen(palette().color(QPalette::Mid));
    const QHeaderView *h = horizontalHeader();
    for (int i = 0; i < h->count(); ++i) {
        const int logical = h->logicalIndex(i);
        if (h->isSectionHidden(logical)) continue;
        const int x = columnViewportPosition(logical) + columnWidth(logical) - 1;
        p.drawLine(x, bottomOfRows, x, viewport()->height());
    }
}

FindDialog *DataGrid::findDialog() {
    if (!find_) {
        find_ = new FindDialog(this);
        // The highlight follows the dialog's activation too.
        find_->installEventFilter(this);
    }
    return find_;
}

bool DataGrid::showsCurrentCell() const { return hasFocus() || (find_ && find_->isActiveWindow()) || menu_; }

bool DataGrid::eventFilter(QObject *watched, QEvent *event) {
    if (watched == find_ && (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate ||
                             event->type() == QEvent::Hide))
        viewport()->update();
    return QTableView::eventFilter(watched, event);
}

void DataGrid::keyPressEvent(QKeyEvent *event) {
    if (event->matches(QKeySequence::Find)) {
        FindDialog *d = findDialog();
        d->refreshColumns();
        d->show();
        d->raise();
        d->activateWindow();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        copyCells();
        return;
    }
    // Shift+Space takes the whole rows of the selection, as in a spreadsheet.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::ShiftModifier) {
        selectRows();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DataGrid::mouseReleaseEvent(QMouseEvent *event) {
    // Shift and Ctrl clicks extend the selection: they are not the click that opens a code.
    const bool selecting = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    const bool wasBlocked = selecting && blockSignals(true);
    QTableView::mouseReleaseEvent(event);
    if (selecting) blockSignals(wasBlocked);
}

void DataGrid::contextMenuEvent(QContextMenuEvent *event) {
    // The right button has made the cell under it current (and selected it, unless it was in
    // the selection already); the menu key takes the current cell.
    QPoint at = event->globalPos();
    if (event->reason() != QContextMenuEvent::Mouse && currentIndex().isValid())
        at = viewport()->mapToGlobal(visualRect(currentIndex()).center());
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("gridMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool rows = model_->rowCount() > 0;
    QAction *cells = menu->addAction(QStringLiteral("复制单元格"), this, &DataGrid::copyCells);
    cells->setShortcut(QKeySequence::Copy);
    menu->addAction(QStringLiteral("复制整行"), this, &DataGrid::copyRows);
    if (!codeField_.isEmpty()) menu->addAction(QStringLiteral("复制商品编码"), this, &DataGrid::copyCodes);
    menu->addSeparator();
    // The export runs its own dialogs once the menu has finished with the click (it deletes
    // itself on closing).
    connect(menu->addAction(QStringLiteral("导出全部结果…")), &QAction::triggered, this, &DataGrid::exportResult,
            Qt::QueuedConnection);
    for (QAction *a : menu->actions()) a->setEnabled(rows);
    menu_ = menu;
    connect(menu, &QMenu::aboutToHide, this, [this] {
        menu_ = nullptr;
        viewport()->update();
    });
    menu->popup(at);
    viewport()->update();
}

void DataGrid::selectRows() {
    QItemSelection rows;
    for (const QItemSelectionRange &r : selectionModel()->selection())
        rows.select(model_->index(r.top(), 0), model_->index(r.bottom(), model_->columnCount() - 1));
    if (rows.isEmpty() && currentIndex().isValid())
        rows.select(model_->index(currentIndex().row(), 0),
                    model_->index(currentIndex().row(), model_->columnCount() - 1));
    selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect);
}

QList<int> DataGrid::dataColumns() const {
    QList<int> columns;
    const QHeaderView *h = horizontalHeader();
    for (int visual = 0; visual < h->count(); ++visual) {
        const int logical = h->logicalIndex(visual);
        if (isColumnHidden(logical)) continue;
        const GridColumn &c = model_->columnAt(logical);
        if (c.link && c.field != codeField_) continue;
        columns << logical;
    }
    return columns;
}

QString DataGrid::columnTitle(int column) const {
    return model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().replace(u'|', u' ');
}

QList<int> DataGrid::selectedRows() const {
    QList<int> rows;
    for (const QItemSelectionRange &r : selectionModel()->selection())
        for (int row = r.top(); row <= r.bottom(); ++row) rows << row;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.isEmpty() && currentIndex().isValid()) rows << currentIndex().row();
    return rows;
}

void DataGrid::copyCells() { GridCopy::copyCells(*this); }
void DataGrid::copyRows() { GridCopy::copyRows(*this); }
void DataGrid::copyCodes() { GridCopy::copyCodes(*this); }
void DataGrid::exportResult() { GridExport::run(*this); }

QModelIndex DataGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (action == MoveEnd && (modifiers & Qt::ControlModifier)) {
        if (!model_->fetchEnd()) {
            endWanted_ = EndWanted::Cursor;
            return currentIndex(); // stays until the end is known
        }
        updateGeometries(); // so that scrolling to the new last row reaches it
        // Without a current cell the table would go to the first one: the end is asked for.
        if (const int column = firstShownColumn(); !currentIndex().isValid() && model_->rowCount() > 0 && column >= 0)
            return model_->index(model_->rowCount() - 1, column);
    }
    return QTableView::moveCursor(action, modifiers);
}

void DataGrid::showEnd() {
    if (!model_->fetchEnd()) {
        if (endWanted_ == EndWanted::None) endWanted_ = EndWanted::Scroll;
        return;
    }
    updateGeometries(); // the scroll bar's new range, now rather than at the next layout
    verticalScrollBar()->setSliderPosition(verticalScrollBar()->maximum());
}

void DataGrid::reachEnd() {
    const EndWanted wanted = std::exchange(endWanted_, EndWanted::None);
    updateGeometries();
    const int rows = model_->rowCount();
    if (wanted == EndWanted::Cursor && rows > 0) {
        const int column = currentIndex().isValid() ? currentIndex().column() : firstShownColumn();
        if (column >= 0) setCurrentIndex(model_->index(rows - 1, column));
    } else if (wanted == EndWanted::Scroll) {
        verticalScrollBar()->setSliderPosition(verticalScrollBar()->maximum());
    }
}

void DataGrid::verticalScrollbarAction(int action) {
    if (action == QAbstractSlider::SliderToMaximum && model_->canFetchMore({})) showEnd();
    QTableView::verticalScrollbarAction(action);
}

void DataGrid::verticalScrollbarValueChanged(int value) {
    // The thumb dragged to the bottom: the user wants the end, not the next chunk.
    if (verticalScrollBar()->isSliderDown() && value == verticalScrollBar()->maximum() && model_->canFetchMore({}))
        showEnd();
    QTableView::verticalScrollbarValueChanged(value);
}
