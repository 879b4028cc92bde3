#include "app/SpecialRatesPanel.h"

#include "app/SpecialRatesView.h"
#include "app/ViewPanel.h"
#include "data/Gbk.h"

#include <QFrame>
#include <QStackedLayout>

SpecialRatesPanel::SpecialRatesPanel(QWidget *client) : QObject(client) {
    setObjectName(QStringLiteral("specialRatesPanel"));
    panel_ = viewPanel(client, "pnl3", {0, 136, 801, 400});
    panel_->hide();
    // The view fills the panel.
    auto *views = new QStackedLayout(panel_);
    views->setStackingMode(QStackedLayout::StackAll);
    views->setContentsMargins(0, 0, 0, 0);
}

void SpecialRatesPanel::showCode(const QString &shownCode) {
    // The special rates are kept per 8-digit code.
    auto *shown = new SpecialRatesView(Gbk::decode(Gbk::encode(shownCode).left(8)), panel_->window());
    // Only the newest view is ever seen; earlier ones are released with their connections
    // rather than piling up one open database connection per click.
    for (SpecialRatesView *earlier : panel_->findChildren<SpecialRatesView *>(Qt::FindDirectChildrenOnly))
        delete earlier;
    shown->setParent(panel_);
    auto *views = static_cast<QStackedLayout *>(panel_->layout());
    views->addWidget(shown);
    views->setCurrentWidget(shown);
    shown->show();
    shown->raise();
    panel_->show();
}

SpecialRatesView *SpecialRatesPanel::view() const {
    return panel_->findChild<SpecialRatesView *>(QString(), Qt::FindDirectChildrenOnly);
}
