#include "chrome/AboutWindow.h"

#include "chrome/Resources.h"
#include "data/StoreConfig.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QScreen>

AboutWindow::AboutWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("Form1");
    setWindowTitle("关于我们");
    setFixedSize(ClientWidth, ClientHeight);
    setBackgroundRole(QPalette::Window);
    setAutoFillBackground(true);

    loadChromeResources();
    auto *picture = new QLabel(this);
    picture->setObjectName("img1");
    picture->setGeometry(rect());
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setPixmap(QPixmap(":/images/about_picture.bmp"));

    // On a shared database server, which one: a line over the foot of the picture. Without a
    // configuration the window is the picture alone.
    if (!StoreConfig::configFile().isEmpty()) {
        auto *store = new QLabel(QStringLiteral("数据库：") + StoreConfig::inUse(), this);
        store->setObjectName("lblStore");
        store->setGeometry(0, ClientHeight - 22, ClientWidth, 22);
        store->setContentsMargins(6, 0, 6, 0);
        store->setAutoFillBackground(true);
        store->setToolTip(store->text());
        QFontMetrics metrics(store->font());
        store->setText(metrics.elidedText(store->text(), Qt::ElideMiddle, ClientWidth - 12));
    }
}

void AboutWindow::showCentredOver(QWidget *mainWindow) {
    const QRect over =
        mainWindow ? mainWindow->window()->frameGeometry() : QGuiApplication::primaryScreen()->availableGeometry();
    const auto centre = [&] {
        QRect frame = frameGeometry();
        frame.moveCenter(over.center());
        move(frame.topLeft());
    };
    // The frame's size is known only once the window is shown; centre again then.
    centre();
    show();
    centre();
    raise();
    activateWindow();
}

// Esc closes the window, as with any dialog (closing only hides it).
void AboutWindow::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
