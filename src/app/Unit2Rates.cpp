// The published rates in the main window: the link from the detail view to the window of every
// rate by origin (in the strip between the tariff row grid and the trade-mode grid, where no
// control lies; shown only while the detail view holds a tariff row), and the published text of
// duties per unit in the grids' rate cells, whose numbers are Null.
#include "app/MainWindow.h"
#include "app/RatesByOrigin.h"
#include "chrome/ClickLabel.h"
#include "data/RateSchema.h"
#include "grid/DataGrid.h"
#include "rates/PerUnitText.h"
#include "search/CodeDisplay.h"

#include <QFrame>
#include <memory>

namespace {

// A Null rate of a tariff row shows the published text of that rate of the row's code.
void showPerUnitText(GridModel *grid, Connection &connection, const std::shared_ptr<PerUnitText> &texts,
                     const QString &field, const QString &kind) {
    grid->setNullText(field, [grid, &connection, texts, kind](int row) {
        int code = 0;
        while (code < grid->columnCount() && grid->fieldAt(code) != QLatin1String("hs_code")) ++code;
        if (code == grid->columnCount()) return QString();
        if (!texts->isLoaded()) texts->load(connection.database());
        return texts->text(grid->storedText(row, code), kind);
    });
}

} // namespace

void MainWindow::setupRatesByOrigin() {
    lblRatesByOrigin = new ClickLabel(QStringLiteral("按原产地查看全部税率 >>"), pnl2);
    lblRatesByOrigin->setObjectName(QStringLiteral("lblRatesByOrigin"));
    QFont f = lblRatesByOrigin->font();
    f.setUnderline(true);
    lblRatesByOrigin->setFont(f);
    QPalette pal = lblRatesByOrigin->palette();
    pal.setColor(QPalette::WindowText, Qt::blue);
    lblRatesByOrigin->setPalette(pal);
    lblRatesByOrigin->setCursor(Qt::PointingHandCursor);
    lblRatesByOrigin->adjustSize();
    lblRatesByOrigin->move(4, 120 + (30 - lblRatesByOrigin->height()) / 2);
    lblRatesByOrigin->hide();
    connect(lblRatesByOrigin, &ClickLabel::clicked, this, &MainWindow::lblRatesByOriginClick);
    auto follow = [this] { lblRatesByOrigin->setVisible(dbgrd4->gridModel()->rowCount() > 0); };
    GridModel *rows = dbgrd4->gridModel();
    connect(rows, &QAbstractItemModel::modelReset, this, follow);
    connect(rows, &QAbstractItemModel::rowsInserted, this, follow);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, follow);

    auto texts = std::make_shared<PerUnitText>();
    showPerUnitText(dbgrd1->gridModel(), con1, texts, QStringLiteral("low_rate"), RateSchema::kMfn);
    showPerUnitText(dbgrd4->gridModel(), con1, texts, QStringLiteral("low_rate"), RateSchema::kMfn);
    showPerUnitText(dbgrd4->gridModel(), con1, texts, QStringLiteral("high_rate"), RateSchema::kGeneral);
}

void MainWindow::lblRatesByOriginClick() {
    if (!qry4.isOpen()) return;
    qry4.first();
    if (qry4.eof()) return;
    if (!ratesByOrigin) ratesByOrigin = new RatesByOrigin(con1, this);
    ratesByOrigin->showCode(CodeDisplay::plainCode(qry4.value(QStringLiteral("hs_code"))),
                            qry4.value(QStringLiteral("name")).toString());
    ratesByOrigin->show();
    ratesByOrigin->raise();
    ratesByOrigin->activateWindow();
}
