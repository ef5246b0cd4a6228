#pragma once

#include "engine/ports/FtpClient.h"

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// An FTP server in memory: folder path ("" for the login directory, "/a/b"
// below it) -> its listing. Shared by every client its factory creates, which
// record what they were asked.
struct FakeFtpServer {
    QString acceptedServer; // login succeeds only for this name
    QMap<QString, std::vector<FtpListEntry>> folders;
    QSet<QString> unlistable;                     // folders whose listing fails
    QMap<QString, FtpUnreadableLines> unreadable; // folder -> the lines its listing could not read
    // Links the server follows when listing: path -> the folder it shows
    // ("/pub/up" -> "" makes /pub/up/pub/up/... list like the login directory).
    QMap<QString, QString> links;
    // Contents of files by path ("/pub/a.txt"); a file not listed here cannot be
    // downloaded (retrieve() fails).
    QMap<QString, QByteArray> files;
    // Files whose download fails after this many bytes (the read that reaches it fails).
    QMap<QString, int64_t> failAfter;
    // Runs before each read of a download with the file's path and the read's offset.
    std::function<void(const QString&, int64_t)> beforeRead;
    // Bytes each download handed out, by path, summed over downloads.
    QMap<QString, int64_t> bytesSent;
    QStringList calls; // "login NAME", "list PATH", "retrieve PATH", "logout"

    // Adds an entry to a folder (creating the folder's listing if needed); a
    // folder entry also gets an empty listing of its own unless it has one.
    FtpListEntry& add(const QString& folder, const QString& name, bool directory = false, int64_t size = 0,
                      double dateTime = 0.0);
    QStringList listedPaths() const;
    QStringList retrievedPaths() const;
    QString resolve(QString path) const;
};

class FakeFtpClient : public FtpClient {
public:
    explicit FakeFtpClient(FakeFtpServer& server) : m_server(server) {}
    Result<void> login(const QString& server) override;
    Result<std::vector<FtpListEntry>> list(const QString& path) override;
    FtpUnreadableLines unreadableLines() const override { return m_unreadable; }
    // Downloads enforce what the port promises of its readers: reads in order from
    // offset 0, and no other request while a download lives (such a request fails).
    Result<std::unique_ptr<ByteSource>> retrieve(const QString& path, int64_t size) override;
    void logout() override;

private:
    FakeFtpServer& m_server;
    FtpUnreadableLines m_unreadable;
    bool m_loggedIn = false;
    std::shared_ptr<bool> m_downloadOpen = std::make_shared<bool>(false);
};

class FakeFtpClientFactory : public FtpClientFactory {
public:
    explicit FakeFtpClientFactory(FakeFtpServer& server) : m_server(server) {}
    std::unique_ptr<FtpClient> create(std::stop_token, bool verifyCertificates) override
    {
        verifyCertificatesAsked.push_back(verifyCertificates);
        return std::make_unique<FakeFtpClient>(m_server);
    }

    std::vector<bool> verifyCertificatesAsked; // one per client created

private:
    FakeFtpServer& m_server;
};
