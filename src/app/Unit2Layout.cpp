// The main window's layout beyond its designed size: at 838 x 560 every control stands where the
// design puts it; a larger window (maximized, or resized by the frame) gives the extra room to
// the panels and their grids, and the status line stays at the bottom. A window fitted to a
// small screen takes the room from the same places.
#include "app/MainWindow.h"
#include "chrome/ClickLabel.h"
#include "grid/DataGrid.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

void MainWindow::resizeEvent(QResizeEvent *event) {
    SkinnedWindow::resizeEvent(event);
    if (!imgForm) return; // still being built
    const int dx = client->width() - kClientWidth;
    const int dy = client->height() - kClientHeight;
    auto grown = [](int designed, int extra) { return std::max(0, designed + extra); };

    imgForm->resize(client->width(), imgForm->height());
    pnl1->resize(grown(kClientWidth, dx), grown(400, dy));
    for (DataGrid *g : {dbgrd1, dbgrd2, dbgrd3}) g->resize(pnl1->size());
    // The detail panel: the tariff row grid widens; the two lower grids share the extra width
    // and take the extra height.
    pnl2->resize(grown(834, dx), grown(400, dy));
    dbgrd4->resize(grown(833, dx), dbgrd4->height());
    placeDeclarationElements();
    const int half = dx / 2;
    dbgrd5->setGeometry(0, 150, grown(427, half), grown(248, dy));
    dbgrd6->setGeometry(440 + half, 150, grown(393, dx - half), grown(248, dy));
    pnl3->resize(grown(801, dx), grown(400, dy));
    // The status line keeps to the bottom, the site link to the right.
    for (QWidget *w : std::initializer_list<QWidget *>{lbl7, lbl8, lbl9}) w->move(w->x(), kStatusTop + dy);
    lbl13->move(kSiteLinkLeft + dx, kStatusTop + dy);
}

void MainWindow::fitToScreen() {
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect room = s->availableGeometry();
    const QSize outer = size().boundedTo(room.size());
    if (outer != size()) setClientSize(outer.shrunkBy(frameMargins()));
    QRect r(pos(), size());
    r.moveCenter(room.center());
    // Wholly on the screen, the caption first.
    r.moveLeft(std::clamp(r.left(), room.left(), room.right() + 1 - r.width()));
    r.moveTop(std::clamp(r.top(), room.top(), room.bottom() + 1 - r.height()));
    move(r.topLeft());
}
