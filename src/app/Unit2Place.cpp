// What the main window keeps for its user between starts: the last searches of both boxes (kept
// as each search runs), and the window's place and open result tab (kept when the program ends,
// restored at its next start, wholly on a screen that is there).
#include "app/MainWindow.h"
#include "app/SearchHistory.h"
#include "app/UserSettings.h"
#include "chrome/PictureButton.h"
#include "grid/DataGrid.h"
#include "search/SearchTables.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

namespace {
const QString kPlaceKey = QStringLiteral("mainWindow/position");
const QString kTabKey = QStringLiteral("mainWindow/tab");
} // namespace

void MainWindow::setupHistory() {
    codeHistory = new SearchHistory(edtCode, QStringLiteral("history/code"), false);
    // A name fragment is found anywhere in a remembered name, as the search finds it.
    nameHistory = new SearchHistory(edtName, QStringLiteral("history/name"), true);
}

int MainWindow::openTab() const {
    // A detail view returns to the grid it was opened from.
    const bool inDetail = imgreturn1->isVisibleTo(client); // also once the window is closed
    const QString origin = lbl3->text();
    if (inDetail ? origin == SearchTables::describe(SearchTables::HsClassify).codeColumn : dbgrd2->isVisibleTo(pnl1))
        return 2;
    if (inDetail ? origin == SearchTables::describe(SearchTables::CaseHs).codeColumn : dbgrd3->isVisibleTo(pnl1))
        return 3;
    return 1;
}

void MainWindow::rememberPlace() {
    QSettings s = userSettings();
    // A maximized window keeps the place it returns to.
    s.setValue(kPlaceKey, (isMaximized() || isFullScreen()) ? normalGeometry().topLeft() : pos());
    s.setValue(kTabKey, openTab());
}

void MainWindow::restorePlace() {
    const QSettings s = userSettings();
    const int tab = s.value(kTabKey, 1).toInt();
    if (tab == 2) imgtab2Click();
    else if (tab == 3) imgtab3Click();

    const QVariant saved = s.value(kPlaceKey);
    if (!saved.canConvert<QPoint>()) return; // the first start: centred, as the window opens
    QRect r(saved.toPoint(), size());
    // The screen that holds most of the window; the primary screen when none does (a screen
    // that was there at the last start may be gone).
    const QScreen *best = nullptr;
    qint64 bestArea = 0;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect common = screen->availableGeometry().intersected(r);
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    if (!best) best = QGuiApplication::primaryScreen();
    if (!best) return;
    const QRect room = best->availableGeometry();
    // Wholly on that screen, the caption first when the window is larger than the screen.
    r.moveLeft(std::max(room.left(), std::min(r.left(), room.right() + 1 - r.width())));
    r.moveTop(std::max(room.top(), std::min(r.top(), room.bottom() + 1 - r.height())));
    move(r.topLeft());
}
