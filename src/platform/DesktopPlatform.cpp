#include "platform/DesktopPlatform.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QTcpSocket>
#include <QUrl>

void DesktopPlatform::messageBox(QWidget *parent, const QString &caption, const QString &text, Icon icon) {
    QMessageBox box(icon == Icon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon, caption, text, QMessageBox::Ok,
                    parent);
    box.exec();
}

void DesktopPlatform::openAddress(const QString &address) { QDesktopServices::openUrl(QUrl(address)); }

QString DesktopPlatform::openFileName(QWidget *parent) { return QFileDialog::getOpenFileName(parent); }

bool DesktopPlatform::isReachable(const QString &address) {
    const QUrl url(address);
    if (url.host().isEmpty()) return false;
    QTcpSocket socket;
    socket.connectToHost(url.host(), static_cast<quint16>(url.port(80)));
    return socket.waitForConnected(kReachTimeoutMs);
}
