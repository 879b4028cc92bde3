#include "app/RatesByOrigin.h"

#include "app/UserSettings.h"
#include "data/AppError.h"
#include "data/CodeCodec.h"
#include "data/Connection.h"
#include "data/RateSchema.h"
#include "platform/Platform.h"

#include <QComboBox>
#include <QCompleter>
#include <QHeaderView>
#include <QLabel>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The mark stands before the long list of countries, so it is seen without scrolling.
enum Column { Kind, Rate, Form, Mark, Countries };

// How a duty is levied, from its published text.
QString levy(const PublishedRate &r) {
    if (r.percent) return QStringLiteral("从价");
    const std::optional<RateAmount> a = rateAmount(r);
    return a ? QStringLiteral("从量（%1）").arg(a->unit) : QStringLiteral("复合/其他");
}

} // namespace

QString RatesByOrigin::settingsKey() { return QStringLiteral("ratesByOrigin/origin"); }

RatesByOrigin::RatesByOrigin(Connection &connection, QWidget *parent)
    : QWidget(parent, Qt::Window), connection_(connection) {
    setObjectName(QStringLiteral("RatesByOrigin"));
    setWindowTitle(QStringLiteral("按原产地查看税率"));
    auto *layout = new QVBoxLayout(this);
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("title"));
    title_->setWordWrap(true);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    layout->addWidget(title_);

    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("原产国（地区）："), this));
    origin_ = new QComboBox(this);
    origin_->setObjectName(QStringLiteral("origin"));
    origin_->setEditable(true);
    origin_->setInsertPolicy(QComboBox::NoInsert);
    origin_->completer()->setFilterMode(Qt::MatchContains);
    origin_->completer()->setCompletionMode(QCompleter::PopupCompletion);
    origin_->setMinimumWidth(160);
    row->addWidget(origin_);
    row->addStretch();
    layout->addLayout(row);

    table_ = new QTableWidget(0, 5, this);
    table_->setObjectName(QStringLiteral("rates"));
    table_->setHorizontalHeaderLabels({QStringLiteral("税率种类"), QStringLiteral("税率"), QStringLiteral("计征方式"),
                                       QStringLiteral("最低"), QStringLiteral("适用国家或地区")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->verticalHeader()->hide();
    table_->setWordWrap(true);
    table_->horizontalHeader()->setSectionResizeMode(Countries, QHeaderView::Stretch);
    layout->addWidget(table_, 1);

    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    summary_->setObjectName(QStringLiteral("summary"));
    layout->addWidget(summary_);
    resize(760, 600);

    connect(origin_, &QComboBox::currentIndexChanged, this, &RatesByOrigin::chooseOrigin);
}

void RatesByOrigin::showCode(const QString &plainCode, const QString &name) {
    title_->setText(QStringLiteral("%1  %2").arg(plainCode, name));
    try {
        connection_.ensureOpen();
        sheet_ = RateSheet::read(connection_.database(), ScrambleCode(plainCode));
        const QStringList countries = partnerCountries(connection_.database());
        const QSignalBlocker quiet(origin_);
        origin_->clear();
        origin_->addItems(countries);
        origin_->setCurrentIndex(static_cast<int>(countries.indexOf(userSettings().value(settingsKey()).toString())));
    } catch (const AppError &e) {
        sheet_ = RateSheet();
        Notify::error(this, e.message());
    }
    fill();
}

void RatesByOrigin::chooseOrigin() {
    if (origin_->currentIndex() >= 0) userSettings().setValue(settingsKey(), origin_->currentText());
    fill();
}

void RatesByOrigin::fill() {
    const QString from = origin_->currentIndex() >= 0 ? origin_->currentText() : QString();
    const OriginRates::Choice choice = OriginRates::choose(sheet_, from);
    table_->setVisible(sheet_.status() == RateSheet::Status::Stored);
    table_->setRowCount(0);
    const QList<PublishedRate> &rates = sheet_.rates();
    for (int i = 0; i < rates.size(); ++i) {
        const PublishedRate &r = rates[i];
        const bool applies = choice.applicable.contains(i);
        QStringList cells(Countries + 1);
        cells[Kind] = OriginRates::kindTitle(r);
        cells[Rate] = OriginRates::rateText(r);
        cells[Form] = levy(r);
        cells[Mark] = i == choice.lowest ? QStringLiteral("★") : QString();
        cells[Countries] = OriginRates::coverage(r);
        table_->insertRow(i);
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            // Agreements that do not cover the origin stay listed, greyed.
            if (!applies && r.kind == RateSchema::kAgreement) item->setForeground(Qt::gray);
            if (i == choice.lowest) {
                QFont f = item->font();
                f.setBold(true);
                item->setFont(f);
                item->setBackground(QColor(255, 244, 204));
            }
            table_->setItem(i, c, item);
        }
    }
    for (int c = Kind; c < Countries; ++c) table_->resizeColumnToContents(c);
    table_->resizeRowsToContents();
    summary_->setText(OriginRates::summary(sheet_, choice, from));
}
