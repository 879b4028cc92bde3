#include "data/AppError.h"
#include "updates/HttpFetch.h"
#include "vendorsite/VendorSite.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {

QString errorOf(const QString &address, const HttpFetch::Limits &limits = {}) {
    try {
        HttpFetch::get(address, limits);
    } catch (const AppError &e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

struct Site {
    Site() { EXPECT_TRUE(site.listen()) << site.errorString().toStdString(); }
    QString at(const char *path) const { return site.root() + QLatin1String(path); }
    VendorSite site;
};

} // namespace

TEST(HttpFetch, GetsTheWholeBodyWithTheClientsHeaders) {
    Site s;
    EXPECT_EQ(HttpFetch::get(s.at(VendorSite::kNewsPath)), s.site.newsFeed());
    EXPECT_EQ(HttpFetch::get(s.at(VendorSite::kPicturePath)), VendorSite::drawBanner());
    ASSERT_EQ(s.site.requests().size(), 2);
    const VendorSite::Request &r = s.site.requests()[0];
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.version, "HTTP/1.1");
    EXPECT_EQ(r.headers.value("accept"), "text/html, */*");
    EXPECT_EQ(r.headers.value("user-agent"), "Mozilla/3.0 (compatible; Indy Library)");
}

TEST(HttpFetch, StatusErrorsAndRedirectsFailWithTheStatusLine) {
    Site s;
    s.site.setFault(VendorSite::kNewsPath, VendorSite::Fault::NotFound);
    s.site.setFault(VendorSite::kAdsPath, VendorSite::Fault::Redirect);
    EXPECT_EQ(errorOf(s.at(VendorSite::kNewsPath)), QStringLiteral("HTTP/1.1 404 Not Found"));
    EXPECT_EQ(errorOf(s.at(VendorSite::kAdsPath)), QStringLiteral("HTTP/1.1 302 Found"));
    EXPECT_EQ(s.site.hits("/"), 0) << "the redirect must not be followed";
    EXPECT_EQ(s.site.requests().size(), 2);
}

TEST(HttpFetch, ASilentServerTimesOut) {
    Site s;
    s.site.setFault(VendorSite::kNewsPath, VendorSite::Fault::Hang);
    HttpFetch::Limits limits;
    limits.timeoutMs = 300;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(errorOf(s.at(VendorSite::kNewsPath), limits),
              QStringLiteral("%1 在 0.3 秒内没有应答。").arg(s.at(VendorSite::kNewsPath)));
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(s.site.hits(VendorSite::kNewsPath), 1);
}

TEST(HttpFetch, OtherFailuresNameTheirCause) {
    Site s;
    // A port that was free a moment ago: nobody listens there now.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString closed = QStringLiteral("http://127.0.0.1:%1/x.html").arg(probe.serverPort());
    probe.close();

    HttpFetch::Limits small;
    small.maxBodyBytes = 100;
    struct Case {
        QString address;
        HttpFetch::Limits limits;
        QString message;
    } cases[] = {
        {closed, {}, QStringLiteral("无法获取 %1：Connection refused").arg(closed)},
        {s.at(VendorSite::kPicturePath), small,
         QStringLiteral("%1 的应答超过 100 字节。").arg(s.at(VendorSite::kPicturePath))},
        {QStringLiteral("not an address"), {}, QStringLiteral("地址“not an address”无效。")},
        {QStringLiteral("ftp://127.0.0.1/x"), {}, QStringLiteral("地址“ftp://127.0.0.1/x”无效。")},
    };
    for (const Case &c : cases) EXPECT_EQ(errorOf(c.address, c.limits), c.message);
}

// A small compressed answer that inflates far beyond the size bound is refused with a message
// that says so.
TEST(HttpFetch, ACompressedAnswerThatInflatesBeyondTheBoundIsRefused) {
    QProcess gzip;
    gzip.start(QStringLiteral("sh"), {"-c", "head -c 67108864 /dev/zero | gzip -c"});
    ASSERT_TRUE(gzip.waitForFinished(30000));
    const QByteArray bomb = gzip.readAllStandardOutput();
    ASSERT_GT(bomb.size(), 1000);
    ASSERT_LT(bomb.size(), 1000000);

    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket *socket = server.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &bomb] {
            if (!socket->readAll().contains("\r\n\r\n")) return;
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Encoding: gzip\r\nContent-Length: " +
                          QByteArray::number(bomb.size()) + "\r\n\r\n" + bomb);
        });
    });
    const QString address = QStringLiteral("http://127.0.0.1:%1/feed.xml").arg(server.serverPort());
    EXPECT_EQ(errorOf(address),
              QStringLiteral("来自 %1 的回答解压后大于 %2 字节。").arg(address).arg(HttpFetch::kMaxBodyBytes));
}
