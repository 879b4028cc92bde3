// The commodity detail view (tariff row, trade modes, licences) and the hand-off to the special
// tariff rate view: the result grids' cell clicks, the detail load, the back button.
#include "app/MainWindow.h"
#include "app/SpecialRatesView.h"
#include "chrome/PictureButton.h"
#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/Gbk.h"
#include "grid/DataGrid.h"
#include "platform/Platform.h"
#include "search/SearchTables.h"

#include <QFrame>
#include <QLabel>
#include <QStackedLayout>

namespace {
const QString kTariffCode = SearchTables::describe(SearchTables::OfficialHs).codeColumn;
const QString kRulingCode = SearchTables::describe(SearchTables::HsClassify).codeColumn;
const QString kCaseCode = SearchTables::describe(SearchTables::CaseHs).codeColumn;
const QString kSpecialRateLink = SearchTables::describe(SearchTables::OfficialHs).linkColumn;

int columnOf(const GridModel *model, const QString &field) {
    for (int c = 0; c < model->columnCount(); ++c)
        if (model->fieldAt(c) == field) return c;
    return -1;
}

// A condition character inside an SQL literal: an apostrophe is doubled, so the statement
// stays whole and instr still looks for that exact character.
// The results show the search tabs and the exit button; a detail or special-rate view shows the
// back button in the exit button's place.
void showResultButtons(MainWindow &form, bool results) {
    for (PictureButton *b : {form.imgtab1, form.imgtab2, form.imgtab3, form.imgreturn}) b->setVisible(results);
    form.imgreturn1->setVisible(!results);
}
} // namespace

void MainWindow::setupDetailView() {
    connect(dbgrd1, &QAbstractItemView::clicked, this, [this](const QModelIndex &i) { dbgrd1CellClick(i.column()); });
    connect(dbgrd2, &QAbstractItemView::clicked, this, [this](const QModelIndex &i) { dbgrd2CellClick(i.column()); });
    connect(dbgrd3, &QAbstractItemView::clicked, this, [this](const QModelIndex &i) { dbgrd3CellClick(i.column()); });
    connect(imgreturn1, &PictureButton::clicked, this, &MainWindow::imgreturn1Click);
    dbgrd5->gridModel()->setDisplayHook(QStringLiteral("lice"),
                                        [this](const QVariant &v) { return strngfldqry2liceGetText(v); });
    // Special tariff rate views fill the panel, the newest in front.
    auto *views = new QStackedLayout(pnl3);
    views->setStackingMode(QStackedLayout::StackAll);
    views->setContentsMargins(0, 0, 0, 0);
}

void MainWindow::dbgrd1CellClick(int column) { resultCellClick(dbgrd1, kTariffCode, column); }
void MainWindow::dbgrd2CellClick(int column) { resultCellClick(dbgrd2, kRulingCode, column); }
void MainWindow::dbgrd3CellClick(int column) { resultCellClick(dbgrd3, kCaseCode, column); }

void MainWindow::resultCellClick(DataGrid *grid, const QString &codeField, int column) {
    try {
        lbl6->hide();
        const GridModel *model = grid->gridModel();
        if (model->rowCount() == 0) return;
        // The grid makes the clicked cell current before it reports the click.
        const int row = std::max(0, grid->currentIndex().row());
        const QString field = model->fieldAt(column);
        if (field == codeField) showDetail(model->text(row, column), codeField);
        else if (grid == dbgrd1 && field == kSpecialRateLink)
            showSpecialRates(model->text(row, columnOf(model, kTariffCode)));
    } catch (const AppError &e) {
        Notify::error(this, e.message());
    }
}

void MainWindow::showDetail(const QString &shownCode, const QString &origin) {
    // A case code is looked up as it shows, dot included.
    Panel2Databound(ScrambleCode(shownCode));
    pnl2->show();
    // The tariff grid stays behind the detail panel; the other result grids are hidden.
    if (origin != kTariffCode) pnl1->hide();
    lbl3->setText(origin);
    showResultButtons(*this, false);
}

void MainWindow::showSpecialRates(const QString &shownCode) {
    // The special rates are kept per 8-digit code.
    lbl10->setText(Gbk::decode(Gbk::encode(shownCode).left(8)));
    auto *view = new SpecialRatesView(lbl10); // reads lbl10 and reports its own failures
    auto *views = static_cast<QStackedLayout *>(pnl3->layout());
    // Only the newest view is ever seen; earlier ones are released with their connections
    // rather than piling up one open database connection per click.
    for (SpecialRatesView *earlier : pnl3->findChildren<SpecialRatesView *>(Qt::FindDirectChildrenOnly)) delete earlier;
    view->setParent(pnl3);
    views->addWidget(view);
    views->setCurrentWidget(view);
    view->show();
    view->raise();
    pnl3->show();
    lbl3->setText(kTariffCode);
    showResultButtons(*this, false);
}

QString MainWindow::Panel2Databound(const QString &scrambledCode) {
    try {
        const std::shared_ptr<const Store> store = con1.store();
        qry4.open(con1, QStringLiteral("select id,hs_code,name, low_rate,high_rate,reg_rate,reg_date,tax_rate,unit1,"
                                       "unit2,lice from official_hs where ") +
                            store->codeEquals(QStringLiteral("hs_code"), scrambledCode));
        dbgrd4->setDataSource(&qry4);

        qry5.open(con1, QStringLiteral("select abbr_trade,ex_control as lice from hs_trade"));
        dbgrd5->setDataSource(&qry5);

        // The licence documents whose code holds any of the code's conditions.
        Statement statement("select docu_code,docu_name from hs_licensed where ");
        qry4.first();
        const QVariant lice = qry4.eof() ? QVariant() : qry4.value(QStringLiteral("lice"));
        if (!lice.isNull() && !lice.toString().isEmpty()) {
            detailConditions = Gbk::encode(lice.toString());
            const QString conditions = Gbk::decode(detailConditions);
            QList<Statement> each;
            for (const QChar c : conditions)
                each << Statement("instr(1,docu_code,") + bound(QString(c)) + Statement(",0) <> 0");
            statement += Statements::joined(each, QStringLiteral(" or "));
        } else {
            detailConditions.clear();
            statement += Statement("docu_code = ") + bound(QString(""));
        }
        qry6.open(con1, statement);
        dbgrd6->setDataSource(&qry6);
    } catch (const AppError &e) {
        Notify::error(this, e.message());
    }
    // The trade-mode cells follow the condition set, which may have changed after they were read.
    dbgrd5->viewport()->update();
    return QString();
}

QString MainWindow::strngfldqry2liceGetText(const QVariant &value) const {
    // The trade mode's own conditions are never shown, only the code's conditions it also lists,
    // in the code's order.
    const QString listed = value.isNull() ? QString() : value.toString();
    QString shown;
    for (const QChar c : Gbk::decode(detailConditions))
        if (listed.contains(c, Qt::CaseSensitive)) shown += c;
    return shown;
}

void MainWindow::imgreturn1Click() {
    lbl6->hide();
    pnl1->show();
    pnl2->hide();
    pnl3->hide();
    const QString origin = lbl3->text();
    if (origin == kTariffCode) dbgrd1->show();
    else if (origin == kRulingCode) dbgrd2->show();
    else if (origin == kCaseCode) dbgrd3->show();
    showResultButtons(*this, true);
}
