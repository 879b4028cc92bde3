#pragma once
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTcpServer>
#include <optional>

class QTcpSocket;

// A local stand-in for the vendor's web site: a small HTTP/1.1 server on the loopback interface
// that serves the news feed, the advertisement feed, the advertisement picture and the pages the
// program opens in the browser. Any path can be told to misbehave, so the program's handling of
// a broken site can be shown and tested. Runs in the thread that creates it, on its event loop.
//
// Feeds: the root element holds one element per item; an item holds one text element per field,
// in order (news: id, title; advertisements: picture address, link address). The news feed is
// sent in GBK and says so in its declaration; the advertisement feed in UTF-8. The text "{root}"
// in an advertisement field stands for this site's root address.
class VendorSite : public QObject {
    Q_OBJECT
public:
    static constexpr char kNewsPath[] = "/download/secretSecurityDownload-0529.html";
    static constexpr char kAdsPath[] = "/download/secretSecurityDownload-7981.html";
    static constexpr char kPicturePath[] = "/ad/banner.jpg";
    static constexpr char kAdLinkPath[] = "/ad/customs.html";
    static constexpr char kDownloadPath[] = "/download/toDownloadSoftware-2.html";
    static constexpr char kNewsPagePrefix[] = "//news/viewNews-";

    enum class Fault {
        None,
        NotFound, // 404 Not Found
        NotJpeg, // 200 with an HTML page
        Empty, // 200 with a zero-length body
        Hang, // accepts the request and never answers
        MalformedXml, // 200 with an XML document cut short
        Redirect, // 302 Found to the home page
        Moved, // 301 Moved Permanently to the same content under kMovedPrefix
    };
    static constexpr char kMovedPrefix[] = "/moved";
    static std::optional<Fault> faultNamed(const QString &name);
    static QStringList faultNames();

    struct Request {
        QByteArray method;
        QByteArray path;
        QByteArray version; // "HTTP/1.1"
        QHash<QByteArray, QByteArray> headers; // names in lower case
    };

    explicit VendorSite(QObject *parent = nullptr);
    ~VendorSite() override;

    // Listens on 127.0.0.1; port 0 picks a free one.
    bool listen(quint16 port = 0);
    QString errorString() const { return server_.errorString(); }
    // "http://127.0.0.1:PORT": scheme and host, no trailing slash.
    QString root() const;

    void setNews(const QList<QStringList> &items) { news_ = items; }
    void setAds(const QList<QStringList> &items) { ads_ = items; }
    void setPicture(const QByteArray &jpeg) { picture_ = jpeg; }
    const QByteArray &picture() const { return picture_; }
    void setFault(const QByteArray &path, Fault fault);

    const QList<Request> &requests() const { return requests_; }
    int hits(const QByteArray &path) const;

signals:
    // Every request, as it arrives (before it is answered, or left hanging).
    void requested(const VendorSite::Request &request);

public:
    QByteArray newsFeed() const;
    QByteArray adsFeed() const;
    // A 385 x 65 advertisement banner, drawn and encoded as JPEG.
    static QByteArray drawBanner();
    static QList<QStringList> defaultNews();
    static QList<QStringList> defaultAds();

private:
    void accept();
    void read(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const Request &request);
    void send(QTcpSocket *socket, int status, const QByteArray &reason, const QByteArray &type, const QByteArray &body,
              const QByteArray &extraHeaders = {});

    QTcpServer server_;
    QHash<QTcpSocket *, QByteArray> pending_;
    QList<QStringList> news_ = defaultNews();
    QList<QStringList> ads_ = defaultAds();
    QByteArray picture_ = drawBanner();
    QHash<QByteArray, Fault> faults_;
    QList<Request> requests_;
};
