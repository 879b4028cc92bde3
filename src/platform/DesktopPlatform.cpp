#include "platform/DesktopPlatform.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTcpSocket>
#include <QUrl>

QString browserFailedText(const QString &address) {
    return QStringLiteral("无法打开浏览器显示网页：\n%1\n请检查系统的默认浏览器设置，或把地址复制到浏览器中打开。")
        .arg(address);
}

void DesktopPlatform::messageBox(QWidget *parent, const QString &caption, const QString &text, Icon icon) {
    QMessageBox box(icon == Icon::Stop ? QMessageBox::Critical : QMessageBox::NoIcon, caption, text, QMessageBox::Ok,
                    parent);
    box.exec();
}

// The opener usually hands the address to a running browser and ends at once; it is not
// waited for, so a slow browser start never holds up the window. Its failure arrives later as
// an exit code, or at once when there is no opener at all.
void DesktopPlatform::openAddress(const QString &address) {
    auto *opener = new QProcess(QCoreApplication::instance());
    QObject::connect(opener, &QProcess::errorOccurred, opener, [opener, address](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        opener->deleteLater();
        Notify::plain(nullptr, browserFailedText(address));
    });
    QObject::connect(opener, &QProcess::finished, opener, [opener, address](int code, QProcess::ExitStatus status) {
        opener->deleteLater();
        if (code != 0 || status != QProcess::NormalExit) Notify::plain(nullptr, browserFailedText(address));
    });
    opener->setStandardOutputFile(QProcess::nullDevice());
    opener->start(QStringLiteral("xdg-open"), {QUrl(address).toString(QUrl::FullyEncoded)});
}

std::unique_ptr<QFileDialog> DesktopPlatform::fileDialog(QWidget *parent) {
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    return dialog;
}

QString DesktopPlatform::openFileName(QWidget *parent) {
    const auto dialog = fileDialog(parent);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) return {};
    return dialog->selectedFiles().first();
}

QString DesktopPlatform::saveFileName(QWidget *parent, const QString &suggestedName) {
    QFileDialog dialog(parent, QStringLiteral("导出"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters{QStringLiteral("Excel 工作簿 (*.xlsx)"), QStringLiteral("CSV 文件 (*.csv)")};
    const QStringList suffixes{QStringLiteral("xlsx"), QStringLiteral("csv")};
    dialog.setNameFilters(filters);
    // The type chosen last time is offered first; a name typed without an extension gets the
    // chosen type's.
    const QString suffix = QFileInfo(suggestedName).suffix().toLower();
    const qsizetype chosen = std::max<qsizetype>(0, suffixes.indexOf(suffix));
    dialog.selectNameFilter(filters[chosen]);
    dialog.setDefaultSuffix(suffixes[chosen]);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString &filter) {
        dialog.setDefaultSuffix(suffixes.value(filters.indexOf(filter), suffixes[0]));
    });
    dialog.setDirectory(QFileInfo(suggestedName).absolutePath());
    dialog.selectFile(QFileInfo(suggestedName).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

bool DesktopPlatform::isReachable(const QString &address) {
    const QUrl url(address);
    if (url.host().isEmpty()) return false;
    QTcpSocket socket;
    socket.connectToHost(url.host(), static_cast<quint16>(url.port(80)));
    return socket.waitForConnected(kReachTimeoutMs);
}
