#include "app/SpecialRatesView.h"

#include "chrome/Fonts.h"
#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/DatabasePath.h"
#include "grid/DataGrid.h"
#include "grid/MultiLevelHeader.h"
#include "platform/Platform.h"

#include <QVBoxLayout>

using Declare::column;
using Declare::wide;

SpecialRatesView::SpecialRatesView(const QString &code, QWidget *reportTo) : code_(code) {
    setObjectName(QStringLiteral("Form4"));
    setWindowFlag(Qt::FramelessWindowHint);
    resize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setFont(Fonts::tahoma8());

    // Every declared field must come back from "select *": a missing or mistyped column fails.
    query_.setFields({wide("id", 50),
                      wide("code", 30),
                      {QStringLiteral("name"), FieldKind::Memo},
                      wide("low_tax", 50),
                      wide("wl_tax", 50),
                      wide("jpz_tax", 50),
                      wide("yn_tax", 50),
                      wide("lw_tax", 50),
                      wide("mlxy_tax", 50),
                      wide("md_tax", 50),
                      wide("flb_tax", 50),
                      wide("xjp_tax", 50),
                      wide("tg_tax", 50),
                      wide("yuen_tax", 50),
                      wide("yatai_tax", 50),
                      wide("zhili_tax", 50),
                      wide("bjst_tax", 50),
                      wide("xinjiapo_tax", 50),
                      wide("xxl_tax", 50),
                      wide("milu_tax", 50),
                      wide("xg_tax", 50),
                      wide("am_tax", 50),
                      wide("tw_tax", 50),
                      wide("ecfa", 50),
                      wide("EX_OFFICIAL_TAX", 50),
                      wide("EX_ZD_TAX", 200),
                      wide("EX_SPEC_TAX", 50),
                      wide("IM_ZD_TAX", 100)});

    grid_ = new DataGrid(this);
    grid_->setObjectName(QStringLiteral("dbgrdh1"));
    auto *header = new MultiLevelHeader(grid_);
    header->setFont(Fonts::tahoma8());
    grid_->setHorizontalHeader(header);
    grid_->setFont(Fonts::tahoma8());
    grid_->setRowHeight(18);
    GridModel *m = grid_->gridModel();
    m->setColumns({
        column("code", "税则号码", 70),
        column("name", "商品名称", 250),
        column("low_tax", "最惠国税率(%)", 120),
        column("", "反倾销税率(%)", 100),
        column("", "消费税(%)", 64),
        column("yatai_tax", "协定税率(%)|亚太", 40),
        column("wl_tax", "协定税率(%)|东盟|文莱", 40),
        column("jpz_tax", "协定税率(%)|东盟|柬埔寨", 40),
        column("yn_tax", "协定税率(%)|东盟|印尼", 40),
        column("lw_tax", "协定税率(%)|东盟|老挝", 40),
        column("mlxy_tax", "协定税率(%)|东盟|马来西亚", 60),
        column("md_tax", "协定税率(%)|东盟|缅甸", 40),
        column("flb_tax", "协定税率(%)|东盟|菲律宾", 50),
        column("xjp_tax", "协定税率(%)|东盟|新加坡", 50),
        column("tg_tax", "协定税率(%)|东盟|泰国", 40),
        column("yuen_tax", "协定税率(%)|东盟|越南", 40),
        column("ecfa", "协定税率(%)|ECFA", 40),
        column("EX_OFFICIAL_TAX", "出口|关税", 40),
        column("EX_ZD_TAX", "出口|暂定", 40),
        column("EX_SPEC_TAX", "出口|特别", 40),
        {QStringLiteral("id"), QString(), -1, false, false, false},
    });
    m->setDisplayHook(QStringLiteral("code"), [](const QVariant &v) { return UnscrambleCode(v.toString()); });
    grid_->applyColumnWidths();
    grid_->setCodeField(QStringLiteral("code"));
    grid_->setExportName(QStringLiteral("特惠税率"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid_);

    load(reportTo);
}

SpecialRatesView::~SpecialRatesView() {
    // The grid shows the query's result: unlink it before the query goes.
    grid_->setDataSource(nullptr);
}

void SpecialRatesView::load(QWidget *reportTo) {
    try {
        connection_.setConnectionString(DatabasePath::lookupConnectionString());
        query_.open(connection_, QStringLiteral("select * from hs_dm_tax where ") +
                                     connection_.store()->codeEquals(QStringLiteral("code"), ScrambleCode(code_)));
        grid_->setDataSource(&query_);
        grid_->gridModel()->setOddRowColor(Qt::white);
        grid_->gridModel()->setEvenRowColor(DataGrid::kEvenRowColor);
    } catch (const AppError &e) {
        // Nothing in the view handles its own failures: they reach the default error report.
        Notify::report(reportTo ? reportTo : this, e.message());
    }
}
