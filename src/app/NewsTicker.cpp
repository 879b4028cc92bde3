#include "app/NewsTicker.h"

#include "chrome/ClickLabel.h"
#include "chrome/Fonts.h"
#include "chrome/LinkLook.h"
#include "data/Query.h"
#include "platform/Platform.h"

NewsTicker::NewsTicker(QWidget *client) : QObject(client) {
    setObjectName(QStringLiteral("newsTicker"));
    label_ = new ClickLabel(client);
    label_->setObjectName(QStringLiteral("lbl9"));
    label_->move(400, 540);
    label_->setFont(Fonts::tahoma8());
    LinkLook::followHover(label_);
    connect(label_, &ClickLabel::clicked, this, [this] {
        Platform::instance().openAddress(Platform::instance().vendorRoot() + QStringLiteral("//news/viewNews-") +
                                         shownId_ + QStringLiteral(".html"));
    });
    timer_.setObjectName(QStringLiteral("tmr1"));
    timer_.setInterval(5000);
    connect(&timer_, &QTimer::timeout, this, &NewsTicker::advance);
    timer_.start();
}

QWidget *NewsTicker::label() const { return label_; }

void NewsTicker::load(Connection &connection) {
    next_ = 0;
    Query news(QStringLiteral("qry9"));
    news.open(connection, QStringLiteral("select * from news"));
    ids_.clear();
    titles_.clear();
    for (; !news.eof(); news.next()) {
        ids_.append(news.asString(QStringLiteral("id")));
        titles_.append(news.asString(QStringLiteral("title")));
    }
    if (!titles_.isEmpty()) show(0);
}

void NewsTicker::clear() {
    ids_.clear();
    titles_.clear();
}

void NewsTicker::advance() {
    if (titles_.isEmpty()) return;
    if (next_ >= titles_.size()) next_ = 0;
    show(next_);
    ++next_;
}

void NewsTicker::show(int index) {
    label_->setText(titles_.at(index));
    label_->adjustSize();
    shownId_ = ids_.at(index);
}
