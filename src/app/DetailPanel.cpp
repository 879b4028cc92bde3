#include "app/DetailPanel.h"

#include "app/DeclarationStrip.h"
#include "app/RatesByOrigin.h"
#include "app/ViewPanel.h"
#include "chrome/ClickLabel.h"
#include "chrome/LinkLook.h"
#include "data/AppError.h"
#include "data/Connection.h"
#include "data/Gbk.h"
#include "grid/DataGrid.h"
#include "platform/Platform.h"
#include "search/CodeDisplay.h"

#include <QFrame>
#include <QHeaderView>

using namespace Declare;

namespace {
DataGrid *detailGrid(QWidget *parent, const char *name, QRect geometry) {
    auto *g = new DataGrid(parent);
    g->setObjectName(QLatin1String(name));
    g->setGeometry(geometry);
    g->gridModel()->setEvenRowColor(DataGrid::kEvenRowColor);
    // Detail grids keep their text at the top of the row.
    g->gridModel()->setVerticalAlignment(Qt::AlignTop);
    return g;
}
} // namespace

DetailPanel::DetailPanel(QWidget *client, Connection &connection) : QObject(client), connection_(connection) {
    setObjectName(QStringLiteral("detailPanel"));
    panel_ = viewPanel(client, "pnl2", {0, 136, 834, 400});
    grids_[TariffRow] = detailGrid(panel_, "dbgrd4", {0, 0, 833, 120});
    grids_[TradeModes] = detailGrid(panel_, "dbgrd5", {0, 150, 427, 248});
    grids_[Licences] = detailGrid(panel_, "dbgrd6", {440, 150, 393, 248});
    panel_->hide();

    queries_[TariffRow].setFields({wide("hs_code", 50),
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
    queries_[TradeModes].setFields({text("abbr_trade", 20), text("lice", 20)});
    queries_[Licences].setFields({text("docu_code", 20), text("docu_name", 20)});

    GridModel *tariffRow = grids_[TariffRow]->gridModel();
    tariffRow->setColumns({column("hs_code", "HS编码", 70), column("name", "货品名称", 240),
                           column("low_rate", "最惠(%)", 45), column("high_rate", "普通(%)", 45),
                           column("reg_rate", "退税率(%)", 60), column("reg_date", "退税率更新日期", 90),
                           column("tax_rate", "增值税率", 60), column("unit1", "第一计量单位", 80),
                           column("unit2", "第二计量单位", 80), column("lice", "监管条件", 64), hiddenId()});
    tariffRow->setDisplayHook(QStringLiteral("hs_code"), [](const QVariant &v) { return CodeDisplay::plainCode(v); });
    grids_[TariffRow]->applyColumnWidths();
    grids_[TradeModes]->gridModel()->setFieldLabels({{QStringLiteral("abbr_trade"), QStringLiteral("贸易方式")},
                                                     {QStringLiteral("lice"), QStringLiteral("监管条件")}});
    grids_[TradeModes]->gridModel()->setDisplayHook(QStringLiteral("lice"),
                                                    [this](const QVariant &v) { return sharedConditions(v); });
    grids_[Licences]->gridModel()->setFieldLabels(
        {{QStringLiteral("docu_code"), QStringLiteral("代码")}, {QStringLiteral("docu_name"), QStringLiteral("名称")}});
    // Their fields are 20 characters wide: columns of 20 half-width characters show whole names.
    for (Grid g : {TradeModes, Licences}) grids_[g]->horizontalHeader()->setDefaultSectionSize(20 * 6);
    // Copies and exports keep the codes as text and name themselves after the panel.
    grids_[TariffRow]->setCodeField(QStringLiteral("hs_code"));
    const char *const exportNames[] = {"商品信息", "贸易方式", "许可证件"};
    for (Grid g : {TariffRow, TradeModes, Licences}) grids_[g]->setExportName(QString::fromUtf8(exportNames[g]));

    // The link to the rates by origin stands in the strip between the tariff row and the lower
    // grids, where no control lies, while the view holds a tariff row.
    ratesLink_ = new ClickLabel(QStringLiteral("按原产地查看全部税率 >>"), panel_);
    ratesLink_->setObjectName(QStringLiteral("lblRatesByOrigin"));
    LinkLook::plain(ratesLink_);
    ratesLink_->adjustSize();
    ratesLink_->move(4, 120 + (30 - ratesLink_->height()) / 2);
    ratesLink_->hide();
    connect(ratesLink_, &ClickLabel::clicked, this, &DetailPanel::openRatesByOrigin);
    auto follow = [this] { ratesLink_->setVisible(grids_[TariffRow]->gridModel()->rowCount() > 0); };
    connect(tariffRow, &QAbstractItemModel::modelReset, this, follow);
    connect(tariffRow, &QAbstractItemModel::rowsInserted, this, follow);
    connect(tariffRow, &QAbstractItemModel::rowsRemoved, this, follow);

    // Each load of the tariff row brings the declaration elements of its code.
    strip_ = new DeclarationStrip(panel_, connection_);
    connect(tariffRow, &QAbstractItemModel::modelReset, this, [this] {
        const GridModel *row = grids_[TariffRow]->gridModel();
        const int code = row->columnOf(QStringLiteral("hs_code"));
        const bool found = row->rowCount() > 0 && code >= 0;
        strip_->showCode(found ? row->storedText(0, code) : QString());
    });
    placeStrip();
}

DetailPanel::~DetailPanel() {
    // The grids show the queries' results: unlink them before the queries go.
    for (DataGrid *g : grids_) g->setDataSource(nullptr);
}

void DetailPanel::load(const QString &scrambledCode) {
    Query &tariffRow = queries_[TariffRow];
    try {
        tariffRow.open(connection_, QStringLiteral("select id,hs_code,name, low_rate,high_rate,reg_rate,reg_date,"
                                                   "tax_rate,unit1,unit2,lice from official_hs where ") +
                                        connection_.store()->codeEquals(QStringLiteral("hs_code"), scrambledCode));
        grids_[TariffRow]->setDataSource(&tariffRow);

        queries_[TradeModes].open(connection_, QStringLiteral("select abbr_trade,ex_control as lice from hs_trade"));
        grids_[TradeModes]->setDataSource(&queries_[TradeModes]);

        // The licence documents whose code holds any of the code's conditions.
        Statement statement("select docu_code,docu_name from hs_licensed where ");
        tariffRow.first();
        const QVariant lice = tariffRow.eof() ? QVariant() : tariffRow.value(QStringLiteral("lice"));
        if (!lice.isNull() && !lice.toString().isEmpty()) {
            conditions_ = Gbk::encode(lice.toString());
            QList<Statement> each;
            for (const QChar c : Gbk::decode(conditions_))
                each << Statement("instr(1,docu_code,") + bound(QString(c)) + Statement(",0) <> 0");
            statement += Statements::joined(each, QStringLiteral(" or "));
        } else {
            conditions_.clear();
            statement += Statement("docu_code = ") + bound(QString(""));
        }
        queries_[Licences].open(connection_, statement);
        grids_[Licences]->setDataSource(&queries_[Licences]);
    } catch (const AppError &e) {
        Notify::error(panel_->window(), e.message());
    }
    // The trade-mode cells follow the condition set, which may have changed after they were read.
    grids_[TradeModes]->viewport()->update();
}

QString DetailPanel::sharedConditions(const QVariant &tradeModeConditions) const {
    // The trade mode's own conditions are never shown, only the code's conditions it also lists,
    // in the code's order.
    const QString listed = tradeModeConditions.isNull() ? QString() : tradeModeConditions.toString();
    QString shown;
    for (const QChar c : Gbk::decode(conditions_))
        if (listed.contains(c, Qt::CaseSensitive)) shown += c;
    return shown;
}

void DetailPanel::openRatesByOrigin() {
    Query &tariffRow = queries_[TariffRow];
    if (!tariffRow.isOpen()) return;
    tariffRow.first();
    if (tariffRow.eof()) return;
    if (!ratesByOrigin_) ratesByOrigin_ = new RatesByOrigin(connection_, panel_->window());
    ratesByOrigin_->showCode(CodeDisplay::plainCode(tariffRow.value(QStringLiteral("hs_code"))),
                             tariffRow.value(QStringLiteral("name")).toString());
    ratesByOrigin_->show();
    ratesByOrigin_->raise();
    ratesByOrigin_->activateWindow();
}

void DetailPanel::grow(int dx, int dy) {
    auto grown = [](int designed, int extra) { return std::max(0, designed + extra); };
    // The tariff row grid widens; the two lower grids share the extra width and take the extra
    // height.
    panel_->resize(grown(834, dx), grown(400, dy));
    grids_[TariffRow]->resize(grown(833, dx), grids_[TariffRow]->height());
    placeStrip();
    const int half = dx / 2;
    grids_[TradeModes]->setGeometry(0, 150, grown(427, half), grown(248, dy));
    grids_[Licences]->setGeometry(440 + half, 150, grown(393, dx - half), grown(248, dy));
}

void DetailPanel::placeStrip() {
    strip_->place(ratesLink_->geometry().right() + 16, grids_[TariffRow]->geometry().right());
}
