// The result and detail grids of the main window: declared fields, columns, display hooks, and
// the wheel routing that moves the focused grid's current row by one row per wheel message.
#include "app/MainWindow.h"
#include "grid/DataGrid.h"
#include "search/CodeDisplay.h"
#include "search/SearchTables.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QWheelEvent>

using namespace Declare;
using SearchTables::codeText;
using SearchTables::describe;

QString MainWindow::wdstrngfldqry1hs_codeGetText(const QVariant &value) const {
    return codeText(SearchTables::OfficialHs, value);
}
QString MainWindow::wdstrngfldqry2code_tGetText(const QVariant &value) const {
    return codeText(SearchTables::HsClassify, value);
}
QString MainWindow::wdstrngfldqry3codeGetText(const QVariant &value) const {
    return codeText(SearchTables::CaseHs, value);
}
QString MainWindow::wdstrngfldqry4hs_codeGetText(const QVariant &value) const { return CodeDisplay::plainCode(value); }

void MainWindow::setupGrids() {
    qry1.setFields(describe(SearchTables::OfficialHs).fields);
    qry2.setFields(describe(SearchTables::HsClassify).fields);
    qry3.setFields(describe(SearchTables::CaseHs).fields);
    qry4.setFields({wide("hs_code", 50),
                    wide("name", 50),
                    number("low_rate"),
                    number("high_rate"),
                    number("reg_rate"),
                    {QStringLiteral("reg_date"), FieldKind::DateTime},
                    number("tax_rate"),
                    wide("unit1", 10),
                    wide("unit2", 255),
                    wide("lice", 10),
                    integer("id")});
    qry5.setFields({text("abbr_trade", 20), text("lice", 20)});
    qry6.setFields({text("docu_code", 20), text("docu_name", 20)});

    GridModel *m1 = dbgrd1->gridModel();
    m1->setColumns(describe(SearchTables::OfficialHs).columns);
    m1->setDisplayHook(describe(SearchTables::OfficialHs).codeColumn,
                       [this](const QVariant &v) { return wdstrngfldqry1hs_codeGetText(v); });
    m1->setOddRowColor(Qt::white);

    GridModel *m2 = dbgrd2->gridModel();
    m2->setColumns(describe(SearchTables::HsClassify).columns);
    m2->setDisplayHook(describe(SearchTables::HsClassify).codeColumn,
                       [this](const QVariant &v) { return wdstrngfldqry2code_tGetText(v); });

    GridModel *m3 = dbgrd3->gridModel();
    m3->setColumns(describe(SearchTables::CaseHs).columns);
    m3->setDisplayHook(describe(SearchTables::CaseHs).codeColumn,
                       [this](const QVariant &v) { return wdstrngfldqry3codeGetText(v); });

    GridModel *m4 = dbgrd4->gridModel();
    m4->setColumns({column("hs_code", "HS编码", 70), column("name", "货品名称", 240), column("low_rate", "最惠(%)", 45),
                    column("high_rate", "普通(%)", 45), column("reg_rate", "退税率(%)", 60),
                    column("reg_date", "退税率更新日期", 90), column("tax_rate", "增值税率", 60),
                    column("unit1", "第一计量单位", 80), column("unit2", "第二计量单位", 80),
                    column("lice", "监管条件", 64), hiddenId()});
    m4->setDisplayHook(QStringLiteral("hs_code"),
                       [this](const QVariant &v) { return wdstrngfldqry4hs_codeGetText(v); });

    dbgrd5->gridModel()->setFieldLabels({{QStringLiteral("abbr_trade"), QStringLiteral("贸易方式")},
                                         {QStringLiteral("lice"), QStringLiteral("监管条件")}});
    dbgrd6->gridModel()->setFieldLabels(
        {{QStringLiteral("docu_code"), QStringLiteral("代码")}, {QStringLiteral("docu_name"), QStringLiteral("名称")}});
    // Their fields are 20 characters wide: columns of 20 half-width characters show whole names.
    for (DataGrid *g : {dbgrd5, dbgrd6}) g->horizontalHeader()->setDefaultSectionSize(20 * 6);
    // Detail grids keep their text at the top of the row.
    for (DataGrid *g : {dbgrd4, dbgrd5, dbgrd6}) g->gridModel()->setVerticalAlignment(Qt::AlignTop);
    for (DataGrid *g : {dbgrd1, dbgrd2, dbgrd3, dbgrd4}) g->applyColumnWidths();
    // Copies and exports keep the codes as text and name themselves after the tab or panel.
    dbgrd1->setCodeField(describe(SearchTables::OfficialHs).codeColumn);
    dbgrd2->setCodeField(describe(SearchTables::HsClassify).codeColumn);
    dbgrd3->setCodeField(describe(SearchTables::CaseHs).codeColumn);
    dbgrd4->setCodeField(QStringLiteral("hs_code"));
    const std::pair<DataGrid *, const char *> names[] = {{dbgrd1, "通关要素"}, {dbgrd2, "总署数据"},
                                                         {dbgrd3, "历史申报"}, {dbgrd4, "商品信息"},
                                                         {dbgrd5, "贸易方式"}, {dbgrd6, "许可证件"}};
    for (const auto &[grid, name] : names) grid->setExportName(QString::fromUtf8(name));

    // The result queries belong to the window's connection from the start.
    for (Query *q : {&qry1, &qry2, &qry3}) q->setConnection(&con1);

    aplctnvnts1 = new MessageHook(this);
    qApp->installEventFilter(aplctnvnts1);
}

bool MainWindow::aplctnvnts1Message(QObject *, QEvent *event) {
    if (event->type() != QEvent::Wheel) return false;
    const int delta = static_cast<QWheelEvent *>(event)->angleDelta().y();
    if (delta == 0) return false; // a touchpad's begin or end of a scroll carries no turn
    for (DataGrid *g : {dbgrd1, dbgrd2, dbgrd3, dbgrd5}) {
        if (!g->hasFocus()) continue;
        QKeyEvent key(QEvent::KeyPress, delta > 0 ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(g, &key);
        return true;
    }
    return false;
}
