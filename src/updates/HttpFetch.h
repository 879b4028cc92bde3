#pragma once
#include <QByteArray>
#include <QString>

// A synchronous HTTP/1.1 GET of a whole response body into memory, as the feed refresh and the
// advertisement download need it. The request is sent the way the vendor site expects it
// (Accept "text/html, */*", the client's User-Agent); redirects are followed only where the caller
// allows them (feed documents move like any web document; the advertisement picture must not).
//
// Every failure throws AppError with a message the user can read: no connection, a timeout, an
// HTTP status other than 2xx (a redirect not allowed included: "HTTP/1.1 302 Found"), a body over the size
// bound. The call never waits longer than its timeout.
namespace HttpFetch {

inline constexpr int kTimeoutMs = 5000;
inline constexpr qint64 kMaxBodyBytes = 8 * 1024 * 1024;

struct Limits {
    int timeoutMs = kTimeoutMs; // connect plus the whole transfer
    qint64 maxBodyBytes = kMaxBodyBytes;
    int maxRedirects = 0; // 0: a redirect is an error
};

QByteArray get(const QString &address, const Limits &limits = {});

} // namespace HttpFetch
