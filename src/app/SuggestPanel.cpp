#include "app/SuggestPanel.h"

#include "app/MatchDelegate.h"
#include "app/SuggestModel.h"
#include "app/ViewPanel.h"
#include "chrome/Colors.h"
#include "chrome/Fonts.h"
#include "data/AppError.h"
#include "platform/Platform.h"
#include "search/SearchStatements.h"
#include "suggest/SuggestIndex.h"

#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {
constexpr int kTop = 30; // the grid below the description row
constexpr int kLines = 50; // lines ranked per description
constexpr int kWidths[] = {36, 88, 320, 70, 160, 56, 60};
} // namespace

SuggestPanel::SuggestPanel(QWidget *client, Connection &connection)
    : QObject(client), connection_(connection), panel_(viewPanel(client, "pnlSuggest", {0, 136, 838, 400})) {
    setObjectName(QStringLiteral("suggestPanel"));
    QPalette pal = panel_->palette();
    pal.setColor(QPalette::Window, Colors::skyBlue);
    panel_->setPalette(pal);
    panel_->hide();

    auto *caption = new QLabel(QStringLiteral("货物描述"), panel_);
    caption->setObjectName(QStringLiteral("lblDescribe"));
    caption->setGeometry(8, 7, 56, 16);
    describeBox_ = new QLineEdit(panel_);
    describeBox_->setObjectName(QStringLiteral("edtDescribe"));
    describeBox_->setGeometry(66, 5, 480, 20);
    describeBox_->setPlaceholderText(QStringLiteral("如：冷冻带骨牛肉 10kg/箱、锂电池、niurou、鋰離子電池"));
    button_ = new QPushButton(QStringLiteral("推荐"), panel_);
    button_->setObjectName(QStringLiteral("btnSuggest"));
    button_->setGeometry(552, 4, 64, 22);
    hint_ = new QLabel(panel_);
    hint_->setObjectName(QStringLiteral("lblSuggestHint"));
    hint_->setGeometry(624, 7, 210, 16);
    hint_->setFont(Fonts::song(12));

    view_ = new QTableView(panel_);
    view_->setObjectName(QStringLiteral("dbgrdSuggest"));
    view_->setGeometry(0, kTop, panel_->width(), panel_->height() - kTop);
    model_ = new SuggestModel(view_);
    view_->setModel(model_);
    view_->setItemDelegateForColumn(SuggestModel::Name, new MatchDelegate(view_));
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(24);
    view_->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background: %1; border: 0; border-right: 1px solid gray; "
                       "border-bottom: 1px solid gray; padding-left: 3px; }")
            .arg(Colors::skyBlue.name()));
    view_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int c = 0; c < SuggestModel::ColumnCount; ++c) view_->setColumnWidth(c, kWidths[c]);
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->installEventFilter(this);

    connect(button_, &QPushButton::clicked, this, &SuggestPanel::run);
    connect(describeBox_, &QLineEdit::returnPressed, this, &SuggestPanel::run);
    connect(view_, &QAbstractItemView::clicked, this, [this](const QModelIndex &i) {
        if (i.column() == SuggestModel::Code) choose(i.row());
    });
    connect(view_, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &i) { choose(i.row()); });
}

SuggestPanel::~SuggestPanel() = default;

void SuggestPanel::open(const QString &description) {
    panel_->show();
    panel_->raise();
    if (!SearchStatements::trimmed(description).isEmpty()) {
        describeBox_->setText(description);
        run();
    }
    describeBox_->setFocus(Qt::OtherFocusReason);
    describeBox_->selectAll();
}

void SuggestPanel::run() {
    const QString description = SearchStatements::trimmed(describeBox_->text());
    if (description.isEmpty()) {
        hint_->setText(QStringLiteral("请输入货物描述"));
        return;
    }
    try {
        if (!index_) index_ = std::make_unique<SuggestIndex>(connection_);
        model_->setSuggestions(index_->suggest(description, kLines));
    } catch (const AppError &e) {
        model_->setSuggestions({});
        hint_->clear();
        Notify::error(panel_->window(), e.message());
        return;
    }
    hint_->setText(model_->rowCount() == 0 ? QStringLiteral("没有找到与描述相符的税则号列")
                                           : QStringLiteral("前 %1 条，按相符程度排列").arg(model_->rowCount()));
    if (model_->rowCount() > 0) view_->setCurrentIndex(model_->index(0, SuggestModel::Code));
}

void SuggestPanel::forget() { index_.reset(); }

void SuggestPanel::resize(const QSize &panelSize) {
    panel_->resize(panelSize);
    view_->resize(panelSize.width(), std::max(0, panelSize.height() - kTop));
}

void SuggestPanel::choose(int row) {
    if (row >= 0 && row < model_->rowCount()) emit codeChosen(model_->suggestions()[row].code);
}

bool SuggestPanel::eventFilter(QObject *watched, QEvent *event) {
    // Enter on a row opens its code, as in the result grids.
    if (watched == view_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            choose(view_->currentIndex().row());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
