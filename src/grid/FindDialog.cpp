#include "grid/FindDialog.h"

#include "grid/DataGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
QGroupBox *group(const QString &title, std::initializer_list<QRadioButton *> buttons) {
    auto *box = new QGroupBox(title);
    auto *layout = new QVBoxLayout(box);
    for (QRadioButton *b : buttons) layout->addWidget(b);
    return box;
}
} // namespace

FindDialog::FindDialog(DataGrid *grid) : QDialog(grid), grid_(grid) {
    setWindowTitle(QStringLiteral("查找"));
    text = new QComboBox;
    text->setEditable(true);
    text->setMinimumWidth(220);
    text->setInsertPolicy(QComboBox::InsertAtTop);
    column = new QComboBox;
    anywhere = new QRadioButton(QStringLiteral("字段任意部分"));
    wholeValue = new QRadioButton(QStringLiteral("整个字段"));
    beginning = new QRadioButton(QStringLiteral("字段开头"));
    anywhere->setChecked(true);
    up = new QRadioButton(QStringLiteral("向上"));
    down = new QRadioButton(QStringLiteral("向下"));
    all = new QRadioButton(QStringLiteral("全部"));
    all->setChecked(true);
    matchCase = new QCheckBox(QStringLiteral("区分大小写"));
    displayedText = new QCheckBox(QStringLiteral("按显示的文本查找"));
    displayedText->setChecked(true);
    status = new QLabel;
    auto *next = new QPushButton(QStringLiteral("查找下一个"));
    next->setDefault(true);
    auto *close = new QPushButton(QStringLiteral("关闭"));

    auto *form = new QGridLayout;
    form->addWidget(new QLabel(QStringLiteral("查找内容:")), 0, 0);
    form->addWidget(text, 0, 1);
    form->addWidget(new QLabel(QStringLiteral("查找列:")), 1, 0);
    form->addWidget(column, 1, 1);
    auto *options = new QHBoxLayout;
    options->addWidget(group(QStringLiteral("匹配"), {anywhere, wholeValue, beginning}));
    options->addWidget(group(QStringLiteral("方向"), {up, down, all}));
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(next);
    buttons->addWidget(close);
    buttons->addStretch();
    auto *left = new QVBoxLayout;
    left->addLayout(form);
    left->addLayout(options);
    left->addWidget(matchCase);
    left->addWidget(displayedText);
    left->addWidget(status);
    auto *top = new QHBoxLayout(this);
    top->addLayout(left);
    top->addLayout(buttons);

    connect(next, &QPushButton::clicked, this, [this] { findNext(); });
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    refreshColumns();
}

void FindDialog::refreshColumns() {
    const int keep = column->currentIndex();
    column->clear();
    column->addItem(QStringLiteral("(所有列)"), -1);
    const GridModel *m = grid_->gridModel();
    for (int c = 0; c < m->columnCount(); ++c)
        if (!grid_->isColumnHidden(c)) {
            // Multi-level titles ("协定税率(%)|东盟|文莱") read as words in the list.
            const QString title = m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            column->addItem(title.split(u'|').join(u' '), c);
        }
    column->setCurrentIndex(keep >= 0 && keep < column->count() ? keep : 0);
}

bool FindDialog::matches(int row) const {
    const QString wanted = text->currentText();
    const Qt::CaseSensitivity cs = matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const GridModel *m = grid_->gridModel();
    const int only = column->currentData().toInt();
    for (int c = 0; c < m->columnCount(); ++c) {
        if (only >= 0 ? c != only : grid_->isColumnHidden(c)) continue;
        const QString value = displayedText->isChecked() ? m->text(row, c) : m->storedText(row, c);
        const bool hit = wholeValue->isChecked()  ? value.compare(wanted, cs) == 0
                         : beginning->isChecked() ? value.startsWith(wanted, cs)
                                                  : value.contains(wanted, cs);
        if (hit) return true;
    }
    return false;
}

bool FindDialog::findNext() {
    const QString wanted = text->currentText();
    if (wanted.isEmpty()) return false;
    if (text->findText(wanted) < 0) text->insertItem(0, wanted);
    GridModel *m = grid_->gridModel();
    const int current = grid_->currentIndex().isValid() ? grid_->currentIndex().row() : -1;
    const bool upward = up->isChecked();
    auto rowsKnown = [m] { return m->rowCount(); };
    auto ensureRow = [m](int row) {
        while (row >= m->rowCount() && m->canFetchMore({})) m->fetchMore({});
        return row < m->rowCount();
    };
    auto select = [&](int row) {
        const int col = grid_->currentIndex().isValid() ? grid_->currentIndex().column() : 0;
        grid_->setCurrentIndex(m->index(row, col));
        grid_->scrollTo(m->index(row, col));
        status->clear();
        return true;
    };
    if (upward) {
        for (int r = current - 1; r >= 0; --r)
            if (matches(r)) return select(r);
    } else {
        for (int r = current + 1; ensureRow(r); ++r)
            if (matches(r)) return select(r);
        if (all->isChecked())
            for (int r = 0; r <= current && r < rowsKnown(); ++r)
                if (matches(r)) return select(r);
    }
    status->setText(QStringLiteral("找不到 \"%1\"").arg(wanted));
    return false;
}
