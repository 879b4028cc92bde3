#include "app/KeyboardRoutes.h"

#include "app/DeclarationStrip.h"
#include "app/DetailPanel.h"
#include "app/MainWindow.h"
#include "app/ResultTabs.h"
#include "app/SearchStrip.h"
#include "app/SpecialRatesPanel.h"
#include "app/SpecialRatesView.h"
#include "grid/DataGrid.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QShortcut>
#include <functional>

namespace {
constexpr SearchTables::Table kTables[] = {SearchTables::OfficialHs, SearchTables::HsClassify, SearchTables::CaseHs};

void shortcut(QWidget *window, const QKeySequence &keys, const std::function<void()> &action) {
    auto *s = new QShortcut(keys, window);
    s->setContext(Qt::WindowShortcut);
    QObject::connect(s, &QShortcut::activated, window, action);
}
} // namespace

KeyboardRoutes::KeyboardRoutes(MainWindow &window) : QObject(&window), window_(window) {
    ResultTabs *results = window.results();
    for (SearchTables::Table t : kTables) results->grid(t)->installEventFilter(this);
    shortcut(&window, QKeySequence(Qt::Key_Escape), [this] {
        DeclarationStrip *strip = window_.detail()->declarationStrip();
        if (strip->isListOpen()) strip->setListOpen(false);
        else back();
    });
    shortcut(&window, QKeySequence(Qt::ALT | Qt::Key_Left), [this] { back(); });
    shortcut(&window, QKeySequence(Qt::ALT | Qt::Key_1), [this] { chooseTab(0); });
    shortcut(&window, QKeySequence(Qt::ALT | Qt::Key_2), [this] { chooseTab(1); });
    shortcut(&window, QKeySequence(Qt::ALT | Qt::Key_3), [this] { chooseTab(2); });
    shortcut(&window, QKeySequence(Qt::CTRL | Qt::Key_L), [this] { window_.searchStrip()->focusCodeBox(); });
    // Code box, name box, then the result grids (only the visible one takes the focus), then the
    // detail grids.
    DetailPanel *detail = window.detail();
    QWidget *chain[] = {window.searchStrip()->codeBox(),         window.searchStrip()->nameBox(),
                        results->grid(SearchTables::OfficialHs), results->grid(SearchTables::HsClassify),
                        results->grid(SearchTables::CaseHs),     detail->grid(DetailPanel::TariffRow),
                        detail->grid(DetailPanel::TradeModes),   detail->grid(DetailPanel::Licences)};
    for (size_t i = 1; i < std::size(chain); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
}

// Sees Enter on a result grid before the grid does (the grid would only report it as
// "activated", which a double click reports too).
bool KeyboardRoutes::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress) return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || key->modifiers() & ~Qt::KeypadModifier)
        return false;
    ResultTabs *results = window_.results();
    for (SearchTables::Table t : kTables) {
        if (watched != results->grid(t)) continue;
        const QModelIndex current = results->grid(t)->currentIndex();
        if (!current.isValid()) return true;
        results->chooseCell(t, current.column());
        // The view it opened takes the keys, so the arrows do not move a grid behind it.
        if (window_.detail()->panel()->isVisible())
            window_.detail()->grid(DetailPanel::TariffRow)->setFocus(Qt::OtherFocusReason);
        else if (window_.specialRates()->panel()->isVisible()) {
            if (SpecialRatesView *view = window_.specialRates()->view()) view->grid()->setFocus(Qt::OtherFocusReason);
        }
        return true;
    }
    return false;
}

void KeyboardRoutes::back() {
    if (!window_.inView() || !window_.isVisible()) return;
    window_.goBack();
    // Back where the user left off: the result grid the view was opened from.
    for (SearchTables::Table t : kTables)
        if (window_.results()->grid(t)->isVisible()) window_.results()->grid(t)->setFocus(Qt::OtherFocusReason);
}

void KeyboardRoutes::chooseTab(int tab) {
    ResultTabs *results = window_.results();
    // The tabs are hidden while a view shows: then there is nothing to choose.
    if (!results->tabsVisible()) return;
    const bool inGrid = results->gridHasFocus();
    window_.searchStrip()->hideWarning();
    results->showTab(kTables[tab]);
    // A user moving through a grid goes on in the one chosen; one typing a search stays in the box.
    if (inGrid) results->grid(kTables[tab])->setFocus(Qt::OtherFocusReason);
}
