// The main window from the keyboard: Enter on a result cell does what a click on it does, Esc or
// Alt+Left goes back from a detail or special-rate view, Alt+1/2/3 choose a result tab, Ctrl+L
// goes to the code box, and Tab runs code box, name box, grid.
#include "app/MainWindow.h"
#include "chrome/PictureButton.h"
#include "grid/DataGrid.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QTextEdit>
#include <functional>

namespace {
// Sees Enter on a result grid before the grid does (the grid would only report it as
// "activated", which a double click reports too).
class EnterKey : public QObject {
public:
    EnterKey(MainWindow *form, DataGrid *grid) : QObject(grid), form_(form), grid_(grid) {
        grid->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || key->modifiers() & ~Qt::KeypadModifier)
            return false;
        form_->keyEnter(grid_);
        return true;
    }

private:
    MainWindow *form_;
    DataGrid *grid_;
};

void shortcut(MainWindow *form, const QKeySequence &keys, const std::function<void()> &action) {
    auto *s = new QShortcut(keys, form);
    s->setContext(Qt::WindowShortcut);
    QObject::connect(s, &QShortcut::activated, form, action);
}
} // namespace

void MainWindow::setupKeyboard() {
    for (DataGrid *g : {dbgrd1, dbgrd2, dbgrd3}) new EnterKey(this, g);
    shortcut(this, QKeySequence(Qt::Key_Escape), [this] {
        if (pnlElements->isVisible()) setElementsListOpen(false);
        else keyBack();
    });
    shortcut(this, QKeySequence(Qt::ALT | Qt::Key_Left), [this] { keyBack(); });
    shortcut(this, QKeySequence(Qt::ALT | Qt::Key_1), [this] { keyTab(1); });
    shortcut(this, QKeySequence(Qt::ALT | Qt::Key_2), [this] { keyTab(2); });
    shortcut(this, QKeySequence(Qt::ALT | Qt::Key_3), [this] { keyTab(3); });
    shortcut(this, QKeySequence(Qt::CTRL | Qt::Key_L), [this] { keyCodeBox(); });
    // Code box, name box, then the result grids (only the visible one takes the focus), then the
    // detail grids.
    QWidget *chain[] = {edtCode, edtName, dbgrd1, dbgrd2, dbgrd3, dbgrd4, dbgrd5, dbgrd6};
    for (size_t i = 1; i < std::size(chain); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void MainWindow::keyEnter(DataGrid *grid) {
    const QModelIndex current = grid->currentIndex();
    if (!current.isValid()) return;
    if (grid == dbgrd1) dbgrd1CellClick(current.column());
    else if (grid == dbgrd2) dbgrd2CellClick(current.column());
    else dbgrd3CellClick(current.column());
    // The view it opened takes the keys, so the arrows do not move a grid behind it.
    if (pnl2->isVisible()) dbgrd4->setFocus(Qt::OtherFocusReason);
    else if (pnl3->isVisible()) {
        if (auto *rates = pnl3->findChild<QAbstractItemView *>()) rates->setFocus(Qt::OtherFocusReason);
    }
}

void MainWindow::keyBack() {
    if (!imgreturn1->isVisible()) return;
    imgreturn1Click();
    // Back where the user left off: the result grid the view was opened from.
    for (DataGrid *g : {dbgrd1, dbgrd2, dbgrd3})
        if (g->isVisible()) g->setFocus(Qt::OtherFocusReason);
}

void MainWindow::keyTab(int tab) {
    PictureButton *tabs[] = {imgtab1, imgtab2, imgtab3};
    // The tabs are hidden while a detail view shows: then there is nothing to choose.
    if (tab < 1 || tab > 3 || !tabs[tab - 1]->isVisible()) return;
    const bool inGrid = dbgrd1->hasFocus() || dbgrd2->hasFocus() || dbgrd3->hasFocus();
    if (tab == 1) imgtab1Click();
    else if (tab == 2) imgtab2Click();
    else imgtab3Click();
    // A user moving through a grid goes on in the one chosen; one typing a search stays in the box.
    if (inGrid) (tab == 1 ? dbgrd1 : tab == 2 ? dbgrd2 : dbgrd3)->setFocus(Qt::OtherFocusReason);
}

void MainWindow::keyCodeBox() {
    edtCode->setFocus(Qt::ShortcutFocusReason);
    edtCode->selectAll(); // a new code replaces the old one
}

bool MainWindow::focusNextPrevChild(bool next) {
    // The tariff grid stays shown behind a detail view: Tab passes over what is covered.
    const bool covered = pnl2->isVisible() || pnl3->isVisible();
    QWidget *start = QApplication::focusWidget();
    for (int tries = 0; tries < 16; ++tries) {
        if (!SkinnedWindow::focusNextPrevChild(next)) return false;
        QWidget *now = QApplication::focusWidget();
        if (!covered || !now || !pnl1->isAncestorOf(now) || now == start) return true;
    }
    return true;
}
