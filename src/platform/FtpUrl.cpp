#include "platform/FtpUrl.h"

#include <QList>
#include <curl/curl.h>
#include <memory>

namespace {

bool IsHostNameCharacter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-' ||
           c == u'.' || c == u'_';
}

bool IsIpv6Literal(const QString& server)
{
    if (!server.contains(u':'))
        return false;
    for (QChar c : server) {
        const bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (!hex && c != u':' && c != u'.')
            return false;
    }
    return true;
}

QByteArray Escape(const QByteArray& segment)
{
    // The handle argument of curl_easy_escape is unused since libcurl 7.82.
    std::unique_ptr<char, decltype(&curl_free)> escaped(
        curl_easy_escape(nullptr, segment.constData(), static_cast<int>(segment.size())), &curl_free);
    return escaped ? QByteArray(escaped.get()) : QByteArray();
}

} // namespace

QByteArray FtpServerUrl(const QString& server, uint16_t port)
{
    if (server.isEmpty())
        return {};
    QString host;
    if (IsIpv6Literal(server)) {
        host = u'[' + server + u']';
    } else {
        for (QChar c : server) {
            if (!IsHostNameCharacter(c))
                return {};
        }
        host = server;
    }
    return "ftp://" + host.toLatin1() + ':' + QByteArray::number(port) + '/';
}

QByteArray FtpFolderUrl(const QByteArray& serverUrl, const QByteArray& folder, bool absolute)
{
    QByteArray url = serverUrl;
    if (absolute)
        url += "%2F";
    for (const QByteArray& segment : folder.split('/')) {
        if (segment.isEmpty())
            continue;
        url += Escape(segment);
        url += '/';
    }
    if (!url.endsWith('/'))
        url += '/';
    return url;
}
