#pragma once
#include <QObject>
#include <QString>

class ClickLabel;
class Connection;

// The advertisement in the main window's header: the picture of the stored advertisement and the
// address it links to, or the local banner and the site's own page when the site is away or
// stores none.
class AdvertBanner : public QObject {
    Q_OBJECT
public:
    // Makes the banner's picture on the window's client area.
    explicit AdvertBanner(QWidget *client);

    // The local banner and the site's page; throws AppError when the banner cannot be read.
    void showFallback();
    // The picture and link of the last stored advertisement (fetched from the site), or the
    // fallback when none is stored; throws AppError.
    void showStored(Connection &connection);
    // Where a click on the banner goes.
    const QString &address() const { return address_; }

signals:
    // Clicked: the address is opened next.
    void clicked();

private:
    ClickLabel *picture_;
    QString address_;
};
