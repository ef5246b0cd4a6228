#include "model/ItemUrl.h"

#include <QUrl>

namespace {

const QString kFtpPrefix = QStringLiteral("ftp://");

bool IsUncPath(const QString& name)
{
    return name.size() > 2 && name.startsWith(u"\\\\");
}

// The host first, then each path segment percent-encoded, '/' between them. The host
// keeps ':' and brackets (a port, an IPv6 address).
QString EncodeSegments(const QStringList& segments)
{
    QString encoded;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        if (i > 0)
            encoded += u'/';
        encoded += QString::fromLatin1(QUrl::toPercentEncoding(segments.at(i), i == 0 ? ":[]" : ""));
    }
    return encoded;
}

// The server part and the path segments of a hit's name, or false when it is neither
// a UNC path nor an FTP address.
bool SplitName(const QString& name, QString& scheme, QStringList& segments)
{
    if (IsUncPath(name)) {
        scheme = QStringLiteral("smb://");
        segments = name.mid(2).split(u'\\');
        return true;
    }
    if (name.startsWith(kFtpPrefix)) {
        scheme = kFtpPrefix;
        segments = name.mid(kFtpPrefix.size()).split(u'/');
        return true;
    }
    return false;
}

QString UrlOf(const QString& name, bool folder)
{
    QString scheme;
    QStringList segments;
    if (!SplitName(name, scheme, segments))
        return {};
    // The last segment is the hit itself; a host alone has no folder above it.
    if (folder && segments.size() > 1)
        segments.removeLast();
    return scheme + EncodeSegments(segments);
}

} // namespace

QString SmbUrlOfUncPath(const QString& uncPath)
{
    return IsUncPath(uncPath) ? UrlOf(uncPath, false) : QString();
}

QString ItemUrl(const TItemRecord& item)
{
    return UrlOf(item.FileName, false);
}

QString ItemFolderUrl(const TItemRecord& item)
{
    return UrlOf(item.FileName, true);
}

QString ItemHost(const TItemRecord& item)
{
    QString scheme;
    QStringList segments;
    if (!SplitName(item.FileName, scheme, segments))
        return {};
    return segments.first();
}
