#include "VendorSite.h"

#include <QBuffer>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QStringEncoder>
#include <QTcpSocket>

namespace {

constexpr qsizetype kMaxRequestBytes = 64 * 1024;

const std::pair<const char *, VendorSite::Fault> kFaultNames[] = {
    {"none", VendorSite::Fault::None},         {"404", VendorSite::Fault::NotFound},
    {"notjpeg", VendorSite::Fault::NotJpeg},   {"empty", VendorSite::Fault::Empty},
    {"hang", VendorSite::Fault::Hang},         {"badxml", VendorSite::Fault::MalformedXml},
    {"redirect", VendorSite::Fault::Redirect}, {"moved", VendorSite::Fault::Moved},
};

QString xmlText(const QString &text) { return text.toHtmlEscaped(); }

// root > item > one element per field.
QString feed(const QString &encoding, const char *rootName, const char *itemName, const QList<const char *> &fieldNames,
             const QList<QStringList> &items) {
    QString xml =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"%1\"?>\n<%2>\n").arg(encoding, QLatin1String(rootName));
    for (const QStringList &item : items) {
        xml += QStringLiteral("  <%1>").arg(QLatin1String(itemName));
        for (qsizetype i = 0; i < item.size(); ++i) {
            const QLatin1String name(i < fieldNames.size() ? fieldNames[i] : "extra");
            xml += QStringLiteral("<%1>%2</%1>").arg(name, xmlText(item[i]));
        }
        xml += QStringLiteral("</%1>\n").arg(QLatin1String(itemName));
    }
    return xml + QStringLiteral("</%1>\n").arg(QLatin1String(rootName));
}

QByteArray page(const QString &title, const QString &text) {
    return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title></head>\n"
                          "<body><h1>%1</h1><p>%2</p><p><a href=\"/\">Zendrik网</a></p></body></html>\n")
        .arg(title.toHtmlEscaped(), text.toHtmlEscaped())
        .toUtf8();
}

} // namespace

std::optional<VendorSite::Fault> VendorSite::faultNamed(const QString &name) {
    for (const auto &[n, f] : kFaultNames)
        if (name == QLatin1String(n)) return f;
    return std::nullopt;
}

QStringList VendorSite::faultNames() {
    QStringList names;
    for (const auto &entry : kFaultNames) names << QLatin1String(entry.first);
    return names;
}

VendorSite::VendorSite(QObject *parent) : QObject(parent) {
    connect(&server_, &QTcpServer::newConnection, this, &VendorSite::accept);
}

VendorSite::~VendorSite() {
    // Open sockets, hanging ones included, belong to the server. Close them while this object's
    // members still exist: a closing socket reports its disconnection to us.
    for (QTcpSocket *socket : server_.findChildren<QTcpSocket *>()) {
        socket->disconnect(this);
        delete socket;
    }
}

bool VendorSite::listen(quint16 port) { return server_.listen(QHostAddress::LocalHost, port); }

QString VendorSite::root() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }

void VendorSite::setFault(const QByteArray &path, Fault fault) {
    if (fault == Fault::None) faults_.remove(path);
    else faults_[path] = fault;
}

int VendorSite::hits(const QByteArray &path) const {
    int n = 0;
    for (const Request &r : requests_) n += r.path == path;
    return n;
}

QList<QStringList> VendorSite::defaultNews() {
    return {
        {QStringLiteral("101"), QStringLiteral("海关总署公告：2024年进出口商品归类调整")},
        {QStringLiteral("102"), QStringLiteral("申报要素 填报 常见问题解答")},
        {QStringLiteral("103"), QStringLiteral("O'Neil 报关行：协定税率 使用指南")},
    };
}

QList<QStringList> VendorSite::defaultAds() {
    return {{QStringLiteral("{root}") + QLatin1String(kPicturePath),
             QStringLiteral("{root}") + QLatin1String(kAdLinkPath)}};
}

QByteArray VendorSite::newsFeed() const {
    QStringEncoder gbk("GBK");
    return gbk.encode(feed(QStringLiteral("GBK"), "newslist", "news", {"id", "title"}, news_));
}

QByteArray VendorSite::adsFeed() const {
    QList<QStringList> items = ads_;
    for (QStringList &item : items)
        for (QString &field : item) field.replace(QLatin1String("{root}"), root());
    return feed(QStringLiteral("UTF-8"), "adlist", "ad", {"image", "link"}, items).toUtf8();
}

QByteArray VendorSite::drawBanner() {
    QImage image(385, 65, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 385, 0);
    sky.setColorAt(0, QColor(12, 74, 140));
    sky.setColorAt(1, QColor(40, 150, 210));
    p.fillRect(image.rect(), sky);
    p.setPen(QColor(255, 200, 40));
    p.setBrush(QColor(255, 200, 40));
    p.drawEllipse(QRect(12, 12, 40, 40));
    QFont big({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC")});
    big.setPixelSize(22);
    big.setBold(true);
    p.setFont(big);
    p.setPen(Qt::white);
    p.drawText(QRect(64, 6, 315, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Zendrik 报关培训"));
    QFont small = big;
    small.setPixelSize(13);
    small.setBold(false);
    p.setFont(small);
    p.drawText(QRect(64, 36, 315, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("商品归类 · 申报要素 · 协定税率 —— 立即报名"));
    p.end();
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 90);
    return jpeg;
}

void VendorSite::accept() {
    while (QTcpSocket *socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            pending_.remove(socket);
            socket->deleteLater();
        });
    }
}

void VendorSite::read(QTcpSocket *socket) {
    QByteArray &buffer = pending_[socket];
    buffer += socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0) {
        if (buffer.size() > kMaxRequestBytes) socket->abort();
        return;
    }
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    pending_.remove(socket);
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    Request request;
    request.method = requestLine.value(0);
    request.path = requestLine.value(1);
    request.version = requestLine.value(2);
    if (const qsizetype q = request.path.indexOf('?'); q >= 0) request.path.truncate(q);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    requests_.append(request);
    emit requested(request);
    // One request per connection: the answer closes it.
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    answer(socket, request);
}

void VendorSite::answer(QTcpSocket *socket, const Request &request) {
    // A moved path's content answers under its new address as under its old one.
    const QByteArray path =
        request.path.startsWith(kMovedPrefix) ? request.path.mid(qstrlen(kMovedPrefix)) : request.path;
    const Fault fault = request.path.startsWith(kMovedPrefix) ? Fault::None : faults_.value(path, Fault::None);
    switch (fault) {
    case Fault::None:
        break;
    case Fault::NotFound:
        return send(socket, 404, "Not Found", "text/html", page(QStringLiteral("404"), QStringLiteral("Not found.")));
    case Fault::NotJpeg:
        return send(socket, 200, "OK", "text/html",
                    page(QStringLiteral("Zendrik网"), QStringLiteral("This is not a picture.")));
    case Fault::Empty:
        return send(socket, 200, "OK", "image/jpeg", QByteArray());
    case Fault::Hang:
        return; // the socket stays open and silent until the client gives up
    case Fault::MalformedXml:
        return send(socket, 200, "OK", "text/xml", "<?xml version=\"1.0\"?>\n<newslist>\n  <news><id>1</id><title>");
    case Fault::Redirect:
        return send(socket, 302, "Found", "text/html", page(QStringLiteral("Moved"), QStringLiteral("Moved.")),
                    "Location: " + root().toLatin1() + "/\r\n");
    case Fault::Moved:
        return send(socket, 301, "Moved Permanently", "text/html",
                    page(QStringLiteral("Moved"), QStringLiteral("Moved.")),
                    "Location: " + root().toLatin1() + kMovedPrefix + path + "\r\n");
    }
    if (request.method != "GET") return send(socket, 405, "Method Not Allowed", "text/plain", "GET only\n");
    if (path == kNewsPath) return send(socket, 200, "OK", "text/xml; charset=GBK", newsFeed());
    if (path == kAdsPath) return send(socket, 200, "OK", "text/xml; charset=UTF-8", adsFeed());
    if (path == kPicturePath) return send(socket, 200, "OK", "image/jpeg", picture_);
    if (path == "/")
        return send(socket, 200, "OK", "text/html; charset=UTF-8",
                    page(QStringLiteral("Zendrik网"), QStringLiteral("报关资讯与商品编码查询。")));
    if (path == kAdLinkPath)
        return send(socket, 200, "OK", "text/html; charset=UTF-8",
                    page(QStringLiteral("报关培训"), QStringLiteral("广告页面。")));
    if (path == kDownloadPath)
        return send(socket, 200, "OK", "text/html; charset=UTF-8",
                    page(QStringLiteral("数据更新下载"), QStringLiteral("最新的案例数据更新文件。")));
    if (path.startsWith(kNewsPagePrefix) && path.endsWith(".html")) {
        const QString id = QString::fromUtf8(path.mid(qstrlen(kNewsPagePrefix)).chopped(5));
        return send(socket, 200, "OK", "text/html; charset=UTF-8",
                    page(QStringLiteral("新闻 %1").arg(id), QStringLiteral("新闻正文。")));
    }
    send(socket, 404, "Not Found", "text/html", page(QStringLiteral("404"), QStringLiteral("Not found.")));
}

void VendorSite::send(QTcpSocket *socket, int status, const QByteArray &reason, const QByteArray &type,
                      const QByteArray &body, const QByteArray &extraHeaders) {
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    head += "Content-Type: " + type + "\r\n";
    head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    head += extraHeaders;
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    socket->write(body);
    socket->disconnectFromHost(); // after the written bytes have gone out
}
