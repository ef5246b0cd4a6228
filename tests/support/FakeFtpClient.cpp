#include "support/FakeFtpClient.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

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

QStringList FakeFtpServer::retrievedPaths() const
{
    QStringList paths;
    for (const QString& call : calls) {
        if (call.startsWith(QStringLiteral("retrieve ")))
            paths << call.mid(9);
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

namespace {

class FakeDownload : public ByteSource {
public:
    FakeDownload(FakeFtpServer& server, QString path, int64_t size, std::shared_ptr<bool> open)
        : m_server(server), m_path(std::move(path)), m_size(size), m_open(std::move(open))
    {
        *m_open = true;
    }
    ~FakeDownload() override { *m_open = false; }

    int64_t size() override { return m_size; }

    int64_t read(int64_t offset, char* buffer, int64_t length) override
    {
        if (m_server.beforeRead)
            m_server.beforeRead(m_path, offset);
        if (offset != m_delivered || length < 0)
            return -1;
        const QByteArray& content = m_server.files[m_path];
        const int64_t got = std::min<int64_t>(length, content.size() - offset);
        const auto failAt = m_server.failAfter.find(m_path);
        if (failAt != m_server.failAfter.end() && offset + got >= failAt.value())
            return -1;
        memcpy(buffer, content.constData() + offset, static_cast<size_t>(got));
        m_delivered += got;
        m_server.bytesSent[m_path] += got;
        return got;
    }

private:
    FakeFtpServer& m_server;
    QString m_path;
    int64_t m_size;
    int64_t m_delivered = 0;
    std::shared_ptr<bool> m_open;
};

} // namespace

Result<std::unique_ptr<ByteSource>> FakeFtpClient::retrieve(const QString& path, int64_t size)
{
    m_server.calls << QStringLiteral("retrieve ") + path;
    if (!m_loggedIn || *m_downloadOpen)
        return PlatformError{ENOTCONN, QStringLiteral("Not ready for a download")};
    if (!m_server.files.contains(path))
        return PlatformError{ENOENT, QStringLiteral("No such file: ") + path};
    return std::unique_ptr<ByteSource>(std::make_unique<FakeDownload>(m_server, path, size, m_downloadOpen));
}

Result<std::vector<FtpListEntry>> FakeFtpClient::list(const QString& path)
{
    m_server.calls << QStringLiteral("list ") + path;
    m_unreadable = {};
    if (*m_downloadOpen)
        return PlatformError{EBUSY, QStringLiteral("A download is still open")};
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
