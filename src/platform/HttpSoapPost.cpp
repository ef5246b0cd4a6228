#include "platform/HttpSoapPost.h"

#include "platform/FileDescriptor.h"
#include "platform/StopWaker.h"

#include <QUrl>
#include <cerrno>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

namespace {

using Clock = std::chrono::steady_clock;

// Chunked transfer coding into its data; nullopt while incomplete, empty error
// too. Sets error for a malformed size line.
std::optional<QByteArray> DecodeChunked(const QByteArray& data, qsizetype from, QString& error)
{
    QByteArray out;
    qsizetype position = from;
    for (;;) {
        const qsizetype lineEnd = data.indexOf("\r\n", position);
        if (lineEnd < 0)
            return std::nullopt;
        bool ok = false;
        const QByteArray sizeText = data.mid(position, lineEnd - position).split(';').front().trimmed();
        const qlonglong size = sizeText.toLongLong(&ok, 16);
        if (!ok || size < 0 || size > kMaxHttpReplySize) {
            error = QStringLiteral("bad chunk size");
            return std::nullopt;
        }
        position = lineEnd + 2;
        if (size == 0)
            return out;
        if (data.size() - position < size + 2)
            return std::nullopt;
        out.append(data.mid(position, size));
        position += size + 2;
    }
}

} // namespace

std::optional<THttpReply> ParseHttpResponse(const QByteArray& data, bool complete, QString& error)
{
    const qsizetype headerEnd = data.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        if (complete)
            error = QStringLiteral("incomplete HTTP header");
        return std::nullopt;
    }
    const QList<QByteArray> lines = data.left(headerEnd).split('\n');
    const QList<QByteArray> statusLine = lines.front().trimmed().split(' ');
    bool ok = false;
    THttpReply reply;
    reply.status = statusLine.size() >= 2 ? statusLine[1].toInt(&ok) : 0;
    if (!statusLine.front().startsWith("HTTP/1.") || !ok) {
        error = QStringLiteral("not an HTTP response");
        return std::nullopt;
    }
    qlonglong contentLength = -1;
    bool chunked = false;
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "content-length")
            contentLength = value.toLongLong(&ok);
        else if (name == "transfer-encoding" && value.toLower().contains("chunked"))
            chunked = true;
    }
    const qsizetype bodyStart = headerEnd + 4;
    if (chunked) {
        std::optional<QByteArray> decoded = DecodeChunked(data, bodyStart, error);
        if (!decoded) {
            if (complete && error.isEmpty())
                error = QStringLiteral("incomplete chunked body");
            return std::nullopt;
        }
        reply.body = std::move(*decoded);
        return reply;
    }
    if (contentLength >= 0) {
        if (data.size() - bodyStart < contentLength) {
            if (complete)
                error = QStringLiteral("connection closed before the whole body arrived");
            return std::nullopt;
        }
        reply.body = data.mid(bodyStart, contentLength);
        return reply;
    }
    if (!complete)
        return std::nullopt;
    reply.body = data.mid(bodyStart);
    return reply;
}

Result<THttpReply> PostSoap(const QString& url, const QByteArray& body, std::chrono::milliseconds timeout,
                            std::stop_token stop)
{
    const Clock::time_point deadline = Clock::now() + timeout;
    const QUrl parsed(url);
    if (parsed.scheme() != QLatin1String("http") || parsed.host().isEmpty())
        return PlatformError{EINVAL, QStringLiteral("not an http address: %1").arg(url)};
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const QByteArray host = parsed.host().toLatin1();
    const QByteArray port = QByteArray::number(parsed.port(80));
    if (getaddrinfo(host.constData(), port.constData(), &hints, &found) != 0 || !found)
        return PlatformError{EINVAL, QStringLiteral("not a numeric address: %1").arg(url)};
    UniqueFd fd(socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    int connected = fd.valid() ? ::connect(fd.get(), found->ai_addr, found->ai_addrlen) : -1;
    const int connectErrno = errno;
    freeaddrinfo(found);
    if (!fd.valid() || (connected != 0 && connectErrno != EINPROGRESS))
        return PlatformError::fromErrno(fd.valid() ? connectErrno : errno);
    StopWaker waker(stop);
    auto fail = [&](int code, const QString& what) {
        return stop.stop_requested() ? PlatformError{ECANCELED, QStringLiteral("stopped")}
                                     : PlatformError{code, what};
    };
    if (connected != 0) {
        if (!waker.waitFor(fd.get(), POLLOUT, deadline))
            return fail(ETIMEDOUT, QStringLiteral("connect timed out"));
        int socketError = 0;
        socklen_t length = sizeof socketError;
        getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &socketError, &length);
        if (socketError != 0)
            return PlatformError::fromErrno(socketError);
    }
    // Exact text: the request head a computer's metadata service accepts; the HTTP
    // tests' server parses it.
    QByteArray request = "POST " + parsed.path(QUrl::FullyEncoded).toLatin1();
    if (request.endsWith(' '))
        request.append('/');
    request +=
        " HTTP/1.1\r\nHost: " + parsed.authority(QUrl::FullyEncoded).toLatin1() +
        "\r\nContent-Type: application/soap+xml\r\nContent-Length: " + QByteArray::number(body.size()) +
        "\r\nConnection: close\r\n\r\n" + body;
    for (qsizetype sent = 0; sent < request.size();) {
        const ssize_t written = ::send(fd.get(), request.constData() + sent,
                                       static_cast<size_t>(request.size() - sent), MSG_NOSIGNAL);
        if (written >= 0) {
            sent += written;
        } else if (errno == EAGAIN) {
            if (!waker.waitFor(fd.get(), POLLOUT, deadline))
                return fail(ETIMEDOUT, QStringLiteral("sending timed out"));
        } else if (errno != EINTR) {
            return PlatformError::fromErrno(errno);
        }
    }
    QByteArray response;
    QString parseError;
    for (;;) {
        if (!waker.waitFor(fd.get(), POLLIN, deadline))
            return fail(ETIMEDOUT, QStringLiteral("no reply in time"));
        char buffer[8192];
        const ssize_t received = ::recv(fd.get(), buffer, sizeof buffer, 0);
        if (received < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (received < 0)
            return PlatformError::fromErrno(errno);
        response.append(buffer, received);
        if (response.size() > kMaxHttpReplySize)
            return fail(EMSGSIZE, QStringLiteral("reply too large"));
        std::optional<THttpReply> reply = ParseHttpResponse(response, received == 0, parseError);
        if (reply)
            return std::move(*reply);
        if (!parseError.isEmpty() || received == 0)
            return fail(EPROTO, parseError.isEmpty() ? QStringLiteral("malformed reply") : parseError);
    }
}
