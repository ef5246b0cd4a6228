#include "support/FakeFtpClient.h"

#include <cerrno>

FtpListEntry& FakeFtpServer::add(const QString& folder, const QString& name, bool directory, int64_t size,
                                 double dateTime)
{
    FtpListEntry entry;
    entry.name = name;
    entry.isDirectory = directory;
    entry.size = size;
    entry.dateTime = dateTime;
    if (directory && !folders.contains(folder + u'/' + name))
        folders.insert(folder + u'/' + name, {});
    std::vector<FtpListEntry>& listing = folders[folder];
    listing.push_back(entry);
    return listing.back();
}

QStringList FakeFtpServer::listedPaths() const
{
    QStringList paths;
    for (const QString& call : calls) {
        if (call.startsWith(QStringLiteral("list ")))
            paths << call.mid(5);
    }
    return paths;
}

QString FakeFtpServer::resolve(QString path) const
{
    for (bool changed = true; changed;) {
        changed = false;
        for (auto link = links.begin(); link != links.end(); ++link) {
            if (path == link.key() || path.startsWith(link.key() + u'/')) {
                path = link.value() + path.mid(link.key().size());
                changed = true;
                break;
            }
        }
    }
    return path;
}

Result<void> FakeFtpClient::login(const QString& server)
{
    m_server.calls << QStringLiteral("login ") + server;
    m_loggedIn = server == m_server.acceptedServer;
    if (!m_loggedIn)
        return PlatformError{ECONNREFUSED, QStringLiteral("No FTP server on ") + server};
    return {};
}

Result<std::vector<FtpListEntry>> FakeFtpClient::list(const QString& path)
{
    m_server.calls << QStringLiteral("list ") + path;
    m_unreadable = {};
    const QString folder = m_server.resolve(path);
    if (!m_loggedIn)
        return PlatformError{ENOTCONN, QStringLiteral("Not logged in")};
    if (m_server.unlistable.contains(folder) || !m_server.folders.contains(folder))
        return PlatformError{ENOENT, QStringLiteral("Cannot list ") + path};
    m_unreadable = m_server.unreadable.value(folder);
    return m_server.folders.value(folder);
}

void FakeFtpClient::logout()
{
    m_server.calls << QStringLiteral("logout");
    m_loggedIn = false;
}
