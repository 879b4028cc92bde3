// The search strip: both boxes, the search button, the warning label and the three tabs.
#include "app/MainWindow.h"
#include "app/SearchHistory.h"
#include "chrome/PictureButton.h"
#include "data/AppError.h"
#include "grid/DataGrid.h"
#include "platform/Platform.h"
#include "search/SearchStatements.h"

#include <QLabel>
#include <QLineEdit>

void MainWindow::setupSearch() {
    connect(imgQuery, &PictureButton::clicked, this, &MainWindow::imgQueryClick);
    connect(edtCode, &QLineEdit::returnPressed, this, [this] { edtCodeKeyPress(QChar(13)); });
    connect(edtName, &QLineEdit::returnPressed, this, [this] { edtNameKeyPress(QChar(13)); });
    connect(imgtab1, &PictureButton::clicked, this, &MainWindow::imgtab1Click);
    connect(imgtab2, &PictureButton::clicked, this, &MainWindow::imgtab2Click);
    connect(imgtab3, &PictureButton::clicked, this, &MainWindow::imgtab3Click);
}

void MainWindow::edtCodeKeyPress(QChar key) {
    if (key.unicode() == 13) imgQueryClick();
}

void MainWindow::edtNameKeyPress(QChar key) {
    if (key.unicode() == 13) imgQueryClick();
}

void MainWindow::imgQueryClick() {
    if (lbl6->isVisible()) lbl6->hide();
    const QString code = SearchStatements::trimmed(edtCode->text());
    const QString name = SearchStatements::trimmed(edtName->text());
    if (code.isEmpty() && name.isEmpty()) {
        lbl6->show();
        return;
    }
    codeHistory->add(code);
    nameHistory->add(name);
    struct Target {
        SearchStatements::Table table;
        Query &query;
        DataGrid *grid;
    } targets[] = {{SearchStatements::OfficialHs, qry1, dbgrd1},
                   {SearchStatements::HsClassify, qry2, dbgrd2},
                   {SearchStatements::CaseHs, qry3, dbgrd3}};
    try {
        for (Target &t : targets) {
            t.query.close();
            t.query.setHeadOnly(true); // the grid reads the rest
            t.query.setConnection(&con1);
            t.query.setSource(SearchStatements::search(t.table, code, name, con1));
            t.query.open();
            // Linked since start-up unless start-up ended early; then this links it.
            t.grid->setDataSource(&t.query);
        }
    } catch (const AppError &e) {
        Notify::error(this, e.message());
    }
}

namespace {
void showTab(QLabel *warning, QWidget *panel, DataGrid *shown, std::initializer_list<DataGrid *> others) {
    if (warning->isVisible()) warning->hide();
    panel->show();
    shown->show();
    for (DataGrid *g : others) g->hide();
}
} // namespace

void MainWindow::imgtab1Click() { showTab(lbl6, pnl1, dbgrd1, {dbgrd2, dbgrd3}); }
void MainWindow::imgtab2Click() { showTab(lbl6, pnl1, dbgrd2, {dbgrd1, dbgrd3}); }
void MainWindow::imgtab3Click() { showTab(lbl6, pnl1, dbgrd3, {dbgrd1, dbgrd2}); }
