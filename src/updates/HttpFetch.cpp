#include "updates/HttpFetch.h"

#include "data/AppError.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <memory>

namespace HttpFetch {

namespace {
QString seconds(int ms) { return QString::number(ms / 1000.0, 'g', 3); }
} // namespace

QByteArray get(const QString &address, const Limits &limits) {
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        throw AppError(QStringLiteral("地址“%1”无效。").arg(address));

    const int timeoutMs = limits.timeoutMs;

    QNetworkRequest request(url);
    if (limits.maxRedirects > 0) {
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
        request.setMaximumRedirectsAllowed(limits.maxRedirects);
    } else {
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    }
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setRawHeader("Accept", "text/html, */*");
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray("Mozilla/3.0 (compatible; Indy Library)"));
    // A compressed answer is inflated by the network layer; past the size bound it stops when the
    // answer inflates suspiciously (a small "bomb" that unpacks to gigabytes).
    request.setDecompressedSafetyCheckThreshold(limits.maxBodyBytes);
    // Stalls end the transfer early; the timer below bounds a slow trickle as well.
    request.setTransferTimeout(timeoutMs);

    QNetworkAccessManager manager;
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    enum class Stop { None, Timeout, TooLarge, Inflated } stop = Stop::None;
    auto abortWith = [&](Stop why) {
        if (stop == Stop::None) stop = why;
        reply->abort();
    };

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] { abortWith(Stop::Timeout); });
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > limits.maxBodyBytes) abortWith(Stop::TooLarge);
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        if (reply->bytesAvailable() > limits.maxBodyBytes)
            abortWith(reply->rawHeader("Content-Encoding").isEmpty() ? Stop::TooLarge : Stop::Inflated);
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    // The window is not usable while start-up waits; keep clicks out of the nested loop.
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();

    const QNetworkReply::NetworkError error = reply->error();
    if (stop == Stop::None && reply->bytesAvailable() > limits.maxBodyBytes) stop = Stop::TooLarge;
    if (stop == Stop::Timeout || (stop == Stop::None && (error == QNetworkReply::OperationCanceledError ||
                                                         error == QNetworkReply::TimeoutError)))
        throw AppError(QStringLiteral("%1 在 %2 秒内没有应答。").arg(address, seconds(timeoutMs)));
    // The network layer's own inflation check ends the transfer with a content error.
    const bool compressed = !reply->rawHeader("Content-Encoding").isEmpty();
    if (stop == Stop::Inflated ||
        (stop == Stop::None && compressed &&
         (error == QNetworkReply::UnknownContentError || error == QNetworkReply::ProtocolFailure)))
        throw AppError(QStringLiteral("来自 %1 的回答解压后大于 %2 字节。").arg(address).arg(limits.maxBodyBytes));
    if (stop == Stop::TooLarge)
        throw AppError(QStringLiteral("%1 的应答超过 %2 字节。").arg(address).arg(limits.maxBodyBytes));

    // A status line came back: anything but 2xx is an error, a redirect not followed too.
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid()) {
        const int code = status.toInt();
        if (code < 200 || code > 299) {
            const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
            throw AppError(QStringLiteral("HTTP/1.1 %1 %2").arg(code).arg(reason).trimmed());
        }
    }
    if (error != QNetworkReply::NoError)
        throw AppError(QStringLiteral("无法获取 %1：%2").arg(address, reply->errorString()));
    return reply->readAll();
}

} // namespace HttpFetch
