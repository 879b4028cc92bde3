#include "app/SearchStrip.h"

#include "app/SearchHistory.h"
#include "chrome/Fonts.h"
#include "chrome/LinkLook.h"
#include "chrome/PictureButton.h"
#include "search/SearchStatements.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

namespace {
QLineEdit *searchBox(QWidget *client, const char *name, QRect geometry) {
    auto *box = new QLineEdit(client);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setFrame(false);
    return box;
}

void caption(QWidget *client, const char *name, const QString &text, QPoint at) {
    auto *l = new QLabel(text, client);
    l->setObjectName(QLatin1String(name));
    l->move(at);
    l->adjustSize();
}
} // namespace

SearchStrip::SearchStrip(QWidget *client) : QObject(client) {
    setObjectName(QStringLiteral("searchStrip"));
    caption(client, "lbl4", QStringLiteral("商品编码"), {384, 96});
    caption(client, "lbl5", QStringLiteral("品名"), {576, 96});

    auto *button = PictureButton::withPictures(client, {736, 88, 72, 33}, QStringLiteral("query"));
    button->setObjectName(QStringLiteral("imgQuery"));
    button->setCenter(true);

    warning_ = new QLabel(QStringLiteral("商品编码和品名不能都为空！"), client);
    warning_->setObjectName(QStringLiteral("lbl6"));
    warning_->setGeometry(656, 120, 156, 13);
    warning_->setFont(Fonts::tahoma8());
    LinkLook::set(warning_, Qt::red, false);
    warning_->hide();

    codeBox_ = searchBox(client, "edtCode", {440, 95, 121, 16});
    nameBox_ = searchBox(client, "edtName", {608, 95, 121, 16});
    QWidget::setTabOrder(codeBox_, nameBox_);

    codeHistory_ = new SearchHistory(codeBox_, QStringLiteral("history/code"), false);
    codeHistory_->setObjectName(QStringLiteral("codeHistory"));
    // A name fragment is found anywhere in a remembered name, as the search finds it.
    nameHistory_ = new SearchHistory(nameBox_, QStringLiteral("history/name"), true);
    nameHistory_->setObjectName(QStringLiteral("nameHistory"));

    // The description search, at the end of the name box: a magnifier with lines of text.
    QPixmap mark(16, 16);
    mark.fill(Qt::transparent);
    {
        QPainter p(&mark);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(40, 90, 170), 1.2));
        for (int y : {3, 6, 9}) p.drawLine(QPointF(1, y + 0.5), QPointF(y == 9 ? 5 : 8, y + 0.5));
        p.drawEllipse(QRectF(6.5, 5.5, 6, 6));
        p.setPen(QPen(QColor(40, 90, 170), 2));
        p.drawLine(QPointF(11.5, 10.5), QPointF(14.5, 13.5));
    }
    auto *describe = nameBox_->addAction(QIcon(mark), QLineEdit::TrailingPosition);
    describe->setObjectName(QStringLiteral("actDescribe"));
    describe->setToolTip(QStringLiteral("按描述推荐税则号列（Ctrl+D）：写下货物的品名、用途、材质，列出最可能的编码"));
    connect(describe, &QAction::triggered, this, [this] { emit describeRequested(nameBox_->text()); });

    connect(button, &PictureButton::clicked, this, &SearchStrip::search);
    connect(codeBox_, &QLineEdit::returnPressed, this, &SearchStrip::search);
    connect(nameBox_, &QLineEdit::returnPressed, this, &SearchStrip::search);
}

void SearchStrip::hideWarning() { warning_->hide(); }

void SearchStrip::focusCodeBox() {
    codeBox_->setFocus(Qt::ShortcutFocusReason);
    codeBox_->selectAll();
}

void SearchStrip::search() {
    warning_->hide();
    const QString code = SearchStatements::trimmed(codeBox_->text());
    const QString name = SearchStatements::trimmed(nameBox_->text());
    if (code.isEmpty() && name.isEmpty()) {
        warning_->show();
        return;
    }
    codeHistory_->add(code);
    nameHistory_->add(name);
    emit searchRequested(code, name);
}
